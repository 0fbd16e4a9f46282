// The router list and the dial entries that come from the chosen router.
#include "option_fixture.h"

#include <QGroupBox>
#include <QHeaderView>

namespace tarvo::options::testing {
namespace {

class RouterList : public OptionDialog {
  protected:
    QTableWidget *grid() const { return w<QTableWidget>("MSFlexGrid"); }
    void click(int row) const {
        grid()->setCurrentCell(row, 1);
        emit grid()->cellClicked(row, 1);
    }
    void choosePort(int index) const {
        auto *port = w<QComboBox>("cmdPort");
        port->setCurrentIndex(index);
        emit port->activated(index);
    }
    QString caption(int n) const { return option(Indexed("optDialList", n))->text(); }
};

TEST_F(RouterList, ThreeRoutersFillThreeRowsUnderTheHeaders) {
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    addRouter(Router(0xC0A80002, 0xFFFFFF00, "Branch", 0x23090));
    addRouter(Router(0x0A000003, 0xFF000000, "Lab", 0x3A0F1C));
    open();
    ASSERT_EQ(grid()->rowCount(), 3);
    ASSERT_EQ(grid()->columnCount(), 5);
    const char *headers[] = {"No", "NickName", "IpAddress", "SubNetMask", "Version"};
    const int widths[] = {500 / 15, 1000 / 15, 1500 / 15, 1500 / 15, 1000 / 15};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(grid()->horizontalHeaderItem(c)->text(), headers[c]);
        EXPECT_EQ(grid()->columnWidth(c), widths[c]) << c;
    }
    const char *rows[3][5] = {{"1", "Office", "192.168.0.1", "255.255.255.0", "2.2040"},
                              {"2", "Branch", "192.168.0.2", "255.255.255.0", "2.3090"},
                              {"3", "Lab", "10.0.0.3", "255.0.0.0", "3A.0F1C"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(grid()->item(r, c)->text(), rows[r][c]) << r << "," << c;
    EXPECT_EQ(grid()->currentRow(), 0);
    EXPECT_EQ(grid()->currentColumn(), 1);
    EXPECT_TRUE(usable("fraGateway"));
    EXPECT_TRUE(usable("cmdPort"));
}

TEST_F(RouterList, AnAddressOfZeroEndsTheList) {
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    addRouter(Router(0, 0, "", 0));
    addRouter(Router(0xC0A80003, 0xFFFFFF00, "Late", 0x22040));
    open();
    EXPECT_EQ(grid()->rowCount(), 1);
}

TEST_F(RouterList, NoRouterDisablesTheGateway) {
    loadAll();
    open();
    EXPECT_EQ(grid()->rowCount(), 0);
    for (const char *name : {"MSFlexGrid", "fraGateway", "cmdPort", "lblIP(0)", "lblMask(3)",
                             "fraISP", "lblTIP", "lblPort"})
        EXPECT_FALSE(w(QString::fromLatin1(name))->isEnabled()) << name;
}

TEST_F(RouterList, AClickStoresTheAddressAtOnceAndReadsThatRoutersEntries) {
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    addRouter(Router(0xC0A80002, 0xFFFF0000, "Branch", 0x22040));
    library.entries[0xC0A80002] = DialEntries({"ISP-A", "ISP-B", "", "RAS-R"}, {1, 0, 0, 1}, 3);
    open();
    click(1);
    EXPECT_EQ(store.Standard.IP, "192.168.0.2");
    EXPECT_EQ(store.Standard.Mask, "255.255.0.0");
    const char *ip[] = {"192", "168", "0", "2"};
    const char *mask[] = {"255", "255", "0", "0"};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(w<QLabel>(Indexed("lblIP", n))->text(), ip[n]);
        EXPECT_EQ(w<QLabel>(Indexed("lblMask", n))->text(), mask[n]);
    }
    ASSERT_FALSE(library.exCalls.empty());
    EXPECT_EQ(library.exCalls.back().address, 0xC0A80002u);
    EXPECT_EQ(library.exCalls.back().port, 0);
    EXPECT_EQ(caption(0), "ISP-A");
    EXPECT_EQ(caption(1), "ISP-B");
    EXPECT_TRUE(option("optDialList(0)")->isEnabled());
    EXPECT_FALSE(option("optDialList(1)")->isEnabled());
    EXPECT_TRUE(option("optDialList(0)")->isChecked()) << "the RAS entry selected: first ISP one";
    EXPECT_EQ(caption(3), "RAS1-4") << "the RAS entry is not refreshed by a change";

    choosePort(1);
    EXPECT_EQ(library.exCalls.back().port, 1);
    EXPECT_EQ(store.Standard.IP, "192.168.0.2");
}

TEST_F(RouterList, CaptionFormsWithoutARouter) {
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    open();
    // At opening, with IP 0.0.0.0: without a blank, all four disabled, RAS off.
    const char *opening[] = {"ISP1-1", "ISP1-2", "ISP1-3", "RAS1-4"};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(caption(n), opening[n]);
        EXPECT_FALSE(option(Indexed("optDialList", n))->isEnabled()) << n;
    }
    EXPECT_FALSE(check("chkRAS")->isChecked());
    EXPECT_FALSE(check("chkRAS")->isEnabled());
    EXPECT_TRUE(library.exCalls.empty());

    // After a port change: with a blank, on the new port.
    choosePort(1);
    EXPECT_EQ(store.Standard.IP, "0.0.0.0");
    const char *changed[] = {"ISP 2-1", "ISP 2-2", "ISP 2-3"};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(caption(n), changed[n]);
        EXPECT_FALSE(option(Indexed("optDialList", n))->isEnabled()) << n;
    }
    EXPECT_EQ(caption(3), "RAS1-4");
    EXPECT_TRUE(library.exCalls.empty());
}

TEST_F(RouterList, OpeningOnPortTwoNamesItsEntries) {
    writeFile("[Standard]\r\nPort=1\r\n");
    loadAll();
    open();
    EXPECT_EQ(caption(0), "ISP2-1");
    EXPECT_EQ(caption(3), "RAS2-4");
}

TEST_F(RouterList, RasCheckFollowsTheRoutersRasEntryAtOpening) {
    struct Case {
        std::uint16_t rasRegistered;
        int storedRas;
        bool enabled;
        bool checked;
    };
    const Case cases[] = {{1, 1, true, true}, {0, 1, false, false}, {1, 0, true, false}};
    for (const Case &c : cases) {
        loadAll();
        core = CoreState{};
        addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
        library.entries[0xC0A80001] =
            DialEntries({"A", "B", "C", "R"}, {1, 1, 1, c.rasRegistered}, 0);
        store.Standard.IP = "192.168.0.1";
        store.Standard.RAS = static_cast<std::int16_t>(c.storedRas);
        open();
        EXPECT_EQ(check("chkRAS")->isEnabled(), c.enabled) << c.rasRegistered;
        EXPECT_EQ(check("chkRAS")->isChecked(), c.checked) << c.rasRegistered;
        EXPECT_EQ(option("optDialList(3)")->isEnabled(), c.rasRegistered != 0);
        dialog().close();
        flush();
    }
}

TEST_F(RouterList, ARouterMissingFromTheListNeverLendsAnotherRoutersEntries) {
    loadAll();
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    library.entries[0xC0A80001] = DialEntries({"A", "B", "C", "R"}, {1, 1, 1, 1}, 0);
    store.Standard.IP = "192.168.0.9";
    open();
    EXPECT_TRUE(library.exCalls.empty());
    EXPECT_EQ(caption(0), "ISP1-1");
    EXPECT_FALSE(check("chkRAS")->isEnabled());
    choosePort(0);
    EXPECT_TRUE(library.exCalls.empty());
    EXPECT_EQ(caption(0), "ISP 1-1");
}

TEST_F(RouterList, MalformedAddressesShowWithoutHarm) {
    loadAll();
    store.Standard.IP = "10.0.0";
    store.Standard.Mask = "garbage";
    open();
    EXPECT_EQ(w<QLabel>("lblIP(0)")->text(), "10");
    EXPECT_EQ(w<QLabel>("lblIP(3)")->text(), "");
    EXPECT_EQ(w<QLabel>("lblMask(0)")->text(), "garbage");
    press("cmdSet");
    EXPECT_EQ(store.Standard.IP, "10.0.0.");
}

TEST_F(RouterList, ANewSearchRefillsTheOpenList) {
    loadAll();
    open();
    EXPECT_EQ(grid()->rowCount(), 0);
    addRouter(Router(0xC0A80001, 0xFFFFFF00, "Office", 0x22040));
    opener.refillRouterGrid();
    EXPECT_EQ(grid()->rowCount(), 1);
    EXPECT_TRUE(usable("fraGateway"));
}

} // namespace
} // namespace tarvo::options::testing
