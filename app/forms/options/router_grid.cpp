// The router list on the first page, the address of the chosen router and its dial entries.
#include "connection_texts.h"
#include "frm_option.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

namespace tarvo::options {

namespace {
const QString kNoRouter = QStringLiteral("0.0.0.0");

// Widths in twips, at 15 twips to a pixel.
constexpr int kColumnTwips[] = {500, 1000, 1500, 1500, 1000};
} // namespace

void FrmOption::FillRouterGrid() {
    grid_->clear();
    grid_->setColumnCount(5);
    grid_->setRowCount(0);
    grid_->setHorizontalHeaderLabels({QStringLiteral("No"), QStringLiteral("NickName"),
                                      QStringLiteral("IpAddress"), QStringLiteral("SubNetMask"),
                                      QStringLiteral("Version")});
    for (int c = 0; c < 5; ++c)
        grid_->setColumnWidth(c, kColumnTwips[c] / 15);

    const int count = std::min(p_.core.RouterCount, ROUTER_TABLE_SIZE);
    for (int k = 0; k < count; ++k) {
        const RouterRecord &r = p_.core.RouterTable[static_cast<std::size_t>(k)];
        if (r.address == 0) break;
        grid_->insertRow(k);
        const QString cells[] = {
            QString::number(k + 1), RouterText(r.name, static_cast<int>(sizeof r.name)),
            FormatIp(r.address), FormatIp(r.subnet_mask), VersionText(r.model_code)};
        for (int c = 0; c < 5; ++c)
            grid_->setItem(k, c, new QTableWidgetItem(cells[c]));
    }

    const bool found = grid_->rowCount() > 0;
    if (found) grid_->setCurrentCell(0, 1);
    grid_->setEnabled(found);
    for (const char *name : {"lblTIP", "lblTMask", "lblPort", "cmdPort", "fraISP", "fraGateway"})
        control(QString::fromLatin1(name))->setEnabled(found);
    for (int n = 0; n < 4; ++n) {
        control(Indexed("lblIP", n))->setEnabled(found);
        control(Indexed("lblMask", n))->setEnabled(found);
    }
}

void FrmOption::SplitAddressToLabels(const QString &ip, const QString &mask) {
    const auto ipParts = SplitAddress(ip);
    const auto maskParts = SplitAddress(mask);
    for (int n = 0; n < 4; ++n) {
        control<QLabel>(Indexed("lblIP", n))->setText(ipParts[static_cast<std::size_t>(n)]);
        control<QLabel>(Indexed("lblMask", n))->setText(maskParts[static_cast<std::size_t>(n)]);
    }
}

void FrmOption::JoinLabelsToAddress() {
    std::array<QString, 4> ip;
    std::array<QString, 4> mask;
    for (int n = 0; n < 4; ++n) {
        ip[static_cast<std::size_t>(n)] = control<QLabel>(Indexed("lblIP", n))->text();
        mask[static_cast<std::size_t>(n)] = control<QLabel>(Indexed("lblMask", n))->text();
    }
    p_.store.Standard.IP = JoinAddress(ip).toStdString();
    p_.store.Standard.Mask = JoinAddress(mask).toStdString();
}

int FrmOption::portNumber() const {
    return LeadingNumber(control<QComboBox>(QStringLiteral("cmdPort"))->currentText());
}

namespace {
// The selected router's position, when it is in the discovery list at all: the dial entries
// shown must be that router's, never another one's.
std::optional<int> locate(const CoreState &core, const QString &ip) {
    if (ip == kNoRouter) return std::nullopt;
    const int at = FindRouter(core.RouterTable.data(), ROUTER_TABLE_SIZE, ip);
    if (FormatIp(core.RouterTable[static_cast<std::size_t>(at)].address) != ip) return std::nullopt;
    return at;
}
} // namespace

void FrmOption::RefreshDialEntries() {
    const QString ip = QString::fromStdString(p_.store.Standard.IP);
    const int port = portNumber();
    auto *group = findChild<QButtonGroup *>(QStringLiteral("grpDialList"));
    if (const auto at = locate(p_.core, ip)) {
        ConditionExRecord &ex = p_.condition;
        p_.library.GetConditionEx(p_.core.RouterTable[static_cast<std::size_t>(*at)], ex, port);
        for (int n = 0; n < 3; ++n) {
            auto *o = control<QRadioButton>(Indexed("optDialList", n));
            o->setText(RouterText(ex.site_names[n], static_cast<int>(sizeof ex.site_names[n])));
            o->setEnabled(ex.site_registered[n] != 0);
        }
        const int s = ex.selected_site;
        group->button(s <= 2 ? s : 0)->setChecked(true);
    } else {
        for (int n = 0; n < 3; ++n) {
            auto *o = control<QRadioButton>(Indexed("optDialList", n));
            o->setText(ChangedEntryCaption(port, n));
            o->setEnabled(false);
        }
    }
}

void FrmOption::openingDialRefresh() {
    const QString ip = QString::fromStdString(p_.store.Standard.IP);
    const int port = LeadingNumber(QString::fromStdString(p_.store.Standard.Port));
    auto *ras = control<QCheckBox>(QStringLiteral("chkRAS"));
    if (const auto at = locate(p_.core, ip)) {
        ConditionExRecord &ex = p_.condition;
        p_.library.GetConditionEx(p_.core.RouterTable[static_cast<std::size_t>(*at)], ex, port);
        for (int n = 0; n < 4; ++n) {
            auto *o = control<QRadioButton>(Indexed("optDialList", n));
            o->setText(RouterText(ex.site_names[n], static_cast<int>(sizeof ex.site_names[n])));
            o->setEnabled(ex.site_registered[n] != 0);
        }
        if (ex.site_registered[3] != 0) {
            ras->setEnabled(true);
            return;
        }
    } else {
        for (int n = 0; n < 4; ++n) {
            auto *o = control<QRadioButton>(Indexed("optDialList", n));
            o->setText(OpeningEntryCaption(port, n));
            o->setEnabled(false);
        }
    }
    ras->setChecked(false);
    ras->setEnabled(false);
}

void FrmOption::gridClicked(int row) {
    const QTableWidgetItem *ip = grid_->item(row, 2);
    const QTableWidgetItem *mask = grid_->item(row, 3);
    if (ip == nullptr || mask == nullptr) return;
    // The choice goes into the store at once; CANCEL takes it back by reading the file.
    p_.store.Standard.IP = ip->text().toStdString();
    p_.store.Standard.Mask = mask->text().toStdString();
    RefreshDialEntries();
    SplitAddressToLabels(ip->text(), mask->text());
}

void FrmOption::portChosen() {
    JoinLabelsToAddress();
    auto *port = control<QComboBox>(QStringLiteral("cmdPort"));
    if (port->currentText().isEmpty()) port->setEditText(QStringLiteral("0"));
    RefreshDialEntries();
}

} // namespace tarvo::options
