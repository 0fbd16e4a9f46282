// The DLL in the virtual LAN, driven the way the desktop program drives it: a message-only window
// receives the completions of discovery, connect and disconnect while its message loop runs.
//
// Runs on the lab's PC host only (tools/win32/lab-test.sh); it broadcasts.
//   quaystone_lab_test.exe --expect-routers N --dial A.B.C.D [--dial ...]
//                          [--user NAME --password WORD] [gtest options]
// Routers that answer discovery with a challenge get the credentials before they are dialled.
#include "message_window.h"
#include "quaystone/quaystone.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using qs::wine::MessageWindow;

int g_expectedRouters = -1;
std::vector<uint32_t> g_dial;
std::string g_user;
std::string g_password;

// The message numbers the desktop program uses.
constexpr UINT kFindDone = 1034;
constexpr UINT kConnectDone = 1054;
constexpr UINT kDisconnectDone = 1064;

using FindFn = int32_t(__stdcall *)(const NotifyTarget *, int32_t);
using GetInformationFn = int32_t(__stdcall *)(RouterRecord *, int32_t *);
using SequenceFn = int32_t(__stdcall *)(const NotifyTarget *, const RouterRecord *, int32_t);
using GetConditionFn = int32_t(__stdcall *)(RouterRecord *, int32_t);
using CleanupFn = int32_t(__stdcall *)();
using SetPasswordFn = int32_t(__stdcall *)(RouterRecord *, const RouterCredentials *);

struct Library {
    HMODULE module = LoadLibraryA("Quaystone.dll");
    template <typename F> F bind(const char *name) const {
        return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    }
    FindFn find = bind<FindFn>("KZV_Find");
    GetInformationFn getInformation = bind<GetInformationFn>("KZV_GetInformation");
    SequenceFn connect = bind<SequenceFn>("KZV_Connect");
    SequenceFn disconnect = bind<SequenceFn>("KZV_Disconnect");
    GetConditionFn getCondition = bind<GetConditionFn>("KZV_GetCondition");
    CleanupFn cleanup = bind<CleanupFn>("KZV_Cleanup");
    SetPasswordFn setPassword = bind<SetPasswordFn>("KZV_SetPassword");
    bool complete() const {
        return module && find && getInformation && connect && disconnect && getCondition &&
               cleanup && setPassword;
    }
};

std::string dotted(uint32_t a) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                  a & 0xFF);
    return text;
}

// Dials port 0 of router and hangs up again, checking each completion.
void dialAndHangUp(const Library &kzv, MessageWindow &window, RouterRecord &router) {
    const int32_t port = 0;
    ASSERT_EQ(kzv.getCondition(&router, port), LINE_IDLE);

    const NotifyTarget connectTarget{window.handle(), kConnectDone};
    ASSERT_EQ(kzv.connect(&connectTarget, &router, port), KZV_OK);
    auto connected = window.waitFor(kConnectDone, 150000);
    ASSERT_TRUE(connected.has_value()) << "no connect completion";
    EXPECT_EQ(connected->wparam, KZV_OK);
    EXPECT_EQ(connected->lparam, LINE_CONNECTED);
    EXPECT_EQ(kzv.getCondition(&router, port), LINE_CONNECTED);

    const NotifyTarget disconnectTarget{window.handle(), kDisconnectDone};
    ASSERT_EQ(kzv.disconnect(&disconnectTarget, &router, port), KZV_OK);
    auto disconnected = window.waitFor(kDisconnectDone, 30000);
    ASSERT_TRUE(disconnected.has_value()) << "no disconnect completion";
    EXPECT_EQ(disconnected->wparam, KZV_OK);
    EXPECT_EQ(disconnected->lparam, LINE_IDLE);
    EXPECT_EQ(kzv.getCondition(&router, port), LINE_IDLE);
}

TEST(Lab, DiscoversDialsAndHangsUpWithTheCompletionsOfTheContract) {
    ASSERT_GE(g_expectedRouters, 1) << "--expect-routers missing";
    ASSERT_FALSE(g_dial.empty()) << "--dial missing";
    Library kzv;
    ASSERT_TRUE(kzv.complete()) << "Quaystone.dll not loaded or an export is missing";
    MessageWindow window;
    ASSERT_TRUE(window.valid());

    const NotifyTarget findTarget{window.handle(), kFindDone};
    ASSERT_EQ(kzv.find(&findTarget, KZV_MAX_ROUTERS), KZV_OK);
    auto found = window.waitFor(kFindDone, 60000);
    ASSERT_TRUE(found.has_value()) << "no discovery completion";
    EXPECT_EQ(found->wparam, KZV_OK);
    EXPECT_EQ(found->lparam, 0);

    RouterRecord records[KZV_MAX_ROUTERS] = {};
    int32_t count = 0;
    ASSERT_EQ(kzv.getInformation(records, &count), KZV_OK);
    EXPECT_EQ(count, g_expectedRouters);

    for (uint32_t address : g_dial) {
        SCOPED_TRACE(dotted(address));
        RouterRecord *router = nullptr;
        for (int32_t i = 0; i < count; ++i)
            if (records[i].address == address) router = &records[i];
        ASSERT_NE(router, nullptr) << "not discovered";
        if (router->auth_flag) {
            RouterCredentials credentials{};
            credentials.user_length = static_cast<uint32_t>(g_user.size());
            std::memcpy(credentials.user, g_user.data(), g_user.size());
            credentials.password_length = static_cast<uint32_t>(g_password.size());
            std::memcpy(credentials.password, g_password.data(), g_password.size());
            ASSERT_EQ(kzv.setPassword(router, &credentials), KZV_OK);
        }
        dialAndHangUp(kzv, window, *router);
    }

    EXPECT_TRUE(window.pending().empty()) << "more completions than requests";
    EXPECT_EQ(kzv.cleanup(), KZV_OK);
}

uint32_t parseAddress(const char *text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char extra = 0;
    if (std::sscanf(text, "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) != 4 || a > 255 || b > 255 ||
        c > 255 || d > 255)
        return 0;
    return (a << 24) | (b << 16) | (c << 8) | d;
}

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *value = argv[i + 1];
        if (std::strcmp(argv[i], "--expect-routers") == 0) {
            g_expectedRouters = std::atoi(value);
        } else if (std::strcmp(argv[i], "--dial") == 0) {
            g_dial.push_back(parseAddress(value));
        } else if (std::strcmp(argv[i], "--user") == 0 && std::strlen(value) <= 20) {
            g_user = value;
        } else if (std::strcmp(argv[i], "--password") == 0 && std::strlen(value) <= 20) {
            g_password = value;
        } else {
            std::fprintf(stderr, "unknown or malformed argument %s %s\n", argv[i], value);
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
