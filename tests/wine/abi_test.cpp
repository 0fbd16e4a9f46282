// Quaystone.dll as its callers meet it: loaded by file name, bound by name, called __stdcall.
// Only calls that are refused before any work, or that talk to a silent router on loopback, are
// made here; discovery broadcasts and is tested in the virtual LAN only.

// Ahead of everything that brings in windows.h, which would otherwise take the old winsock.h.
#include <winsock2.h>

#include "dll_image.h"
#include "message_window.h"
#include "quaystone/quaystone.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static_assert(sizeof(void *) == 4, "the DLL and its callers are 32-bit");
static_assert(sizeof(uintptr_t) == 4, "entry table slots are 32-bit cells");

// Pushes args (first argument at the lowest address), calls fn and reports how far the stack
// pointer moved across the call: 0 when the callee removed its own arguments, as __stdcall
// requires. A caller compiled for __stdcall would otherwise silently run on a shifted stack.
extern "C" int32_t qs_call_measured(FARPROC fn, const uint32_t *args, uint32_t count,
                                    int32_t *stackDelta);
asm(R"(
    .text
    .globl _qs_call_measured
_qs_call_measured:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 12(%ebp), %edi
    movl 16(%ebp), %ecx
    movl %esp, %esi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%edi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %esi, %ecx
    movl %esi, %esp
    movl 20(%ebp), %edx
    movl %ecx, (%edx)
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

namespace {

using qs::wine::MessageWindow;

// In the order of KZV_GetDllVersion's table.
const char *const kExports[KZV_ENTRY_COUNT] = {
    "KZV_GetDllVersion", "KZV_Find",         "KZV_GetInformation", "KZV_Connect",
    "KZV_Disconnect",    "KZV_GetCondition", "KZV_ChangeSite",     "KZV_GetConditionEx",
    "KZV_ClearCounter",  "KZV_Cleanup",      "KZV_SetPassword",
};

// advapi32 carries the crypto API that digests class 3 requests. msvcrt is the C runtime every
// Windows release keeps in its system folder; mingw's statically linked libstdc++, libgcc and
// winpthreads sit on top of it, so no runtime DLL has to travel with ours.
const char *const kSystemDlls[] = {"kernel32.dll", "user32.dll", "ws2_32.dll", "advapi32.dll",
                                   "msvcrt.dll"};

using GetDllVersionFn = int32_t(__stdcall *)(uintptr_t *, uint32_t *);
using GetInformationFn = int32_t(__stdcall *)(RouterRecord *, int32_t *);
using FindFn = int32_t(__stdcall *)(const NotifyTarget *, int32_t);
using SequenceFn = int32_t(__stdcall *)(const NotifyTarget *, const RouterRecord *, int32_t);
using RecordPortFn = int32_t(__stdcall *)(RouterRecord *, int32_t);
using ChangeSiteFn = int32_t(__stdcall *)(const RouterRecord *, int32_t, int32_t);
using ConditionExFn = int32_t(__stdcall *)(const RouterRecord *, ConditionExRecord *, int32_t);
using CleanupFn = int32_t(__stdcall *)();
using SetPasswordFn = int32_t(__stdcall *)(RouterRecord *, const RouterCredentials *);

constexpr uint32_t kLoopback = 0x7F000001;
constexpr UINT kConnectDone = 1054;
constexpr UINT kDisconnectDone = 1064;
// A silent router costs the library its four one-second tries.
constexpr DWORD kSilentRouterMs = 15000;

HMODULE dll() {
    static HMODULE module = LoadLibraryA("Quaystone.dll");
    return module;
}

template <typename F> F bind(const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll(), name)));
}

RouterRecord routerRecord(uint32_t model, uint32_t address = kLoopback) {
    RouterRecord r{};
    r.address = address;
    r.model_code = model;
    return r;
}

// Redirects one cell of the DLL's import address table for as long as it lives.
class ImportPatch {
  public:
    ImportPatch(FARPROC *slot, FARPROC replacement) : slot_(slot), saved_(*slot) {
        write(replacement);
    }
    ~ImportPatch() { write(saved_); }
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;

  private:
    void write(FARPROC f) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = f;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }
    FARPROC *slot_;
    FARPROC saved_;
};

// A socket layer that starts at whatever version a test makes it offer.
struct FakeWinsock {
    WORD offered = 0;
    std::vector<WORD> requested;
    int cleanups = 0;
};
FakeWinsock g_winsock;

int WSAAPI fakeStartup(WORD requested, LPWSADATA data) {
    g_winsock.requested.push_back(requested);
    std::memset(data, 0, sizeof *data);
    data->wVersion = g_winsock.offered;
    data->wHighVersion = MAKEWORD(2, 2);
    return 0;
}

int WSAAPI fakeCleanup() {
    ++g_winsock.cleanups;
    return 0;
}

class Dll : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(dll(), nullptr) << "LoadLibraryA(\"Quaystone.dll\") failed, error "
                                  << GetLastError();
    }
};

TEST_F(Dll, IsAnI686DllExportingExactlyTheElevenNames) {
    auto image = qs::wine::inspect(dll());
    EXPECT_EQ(image.machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(image.isDll);
    EXPECT_EQ(image.exportedEntries, std::size(kExports));
    std::vector<std::string> expected(std::begin(kExports), std::end(kExports));
    std::sort(expected.begin(), expected.end());
    std::sort(image.exportNames.begin(), image.exportNames.end());
    EXPECT_EQ(image.exportNames, expected);
}

TEST_F(Dll, ImportsFromSystemDllsOnly) {
    auto image = qs::wine::inspect(dll());
    EXPECT_FALSE(image.imports.empty());
    for (const auto &name : image.imports)
        EXPECT_NE(std::find(std::begin(kSystemDlls), std::end(kSystemDlls), name),
                  std::end(kSystemDlls))
            << name << " is not a system DLL";
    EXPECT_TRUE(image.delayImports.empty());
}

TEST_F(Dll, GetProcAddressFindsEveryName) {
    for (const char *name : kExports)
        EXPECT_NE(GetProcAddress(dll(), name), nullptr) << name;
}

// Each entry point with arguments it refuses (or, for the two that take none, harmless ones):
// the result shows the argument checks, the stack pointer the calling convention.
TEST_F(Dll, EveryEntryPointRemovesItsOwnArgumentsAndRefusesNullPointers) {
    struct Case {
        const char *name;
        std::vector<uint32_t> args;
        int32_t expected;
    };
    const Case cases[] = {
        {"KZV_GetDllVersion", {0, 0}, KZV_INTERFACE_VERSION},
        {"KZV_Find", {0, 1}, KZV_E_PARAM},
        {"KZV_GetInformation", {0, 0}, KZV_E_PARAM},
        {"KZV_Connect", {0, 0, 0}, KZV_E_PARAM},
        {"KZV_Disconnect", {0, 0, 0}, KZV_E_PARAM},
        {"KZV_GetCondition", {0, 0}, KZV_E_PARAM},
        {"KZV_ChangeSite", {0, 0, 0}, KZV_E_PARAM},
        {"KZV_GetConditionEx", {0, 0, 0}, KZV_E_PARAM},
        {"KZV_ClearCounter", {0, 0}, KZV_E_PARAM},
        {"KZV_Cleanup", {}, KZV_OK},
        {"KZV_SetPassword", {0, 0}, KZV_E_PARAM},
    };
    for (const auto &c : cases) {
        FARPROC fn = GetProcAddress(dll(), c.name);
        ASSERT_NE(fn, nullptr) << c.name;
        int32_t delta = -1;
        int32_t result =
            qs_call_measured(fn, c.args.data(), static_cast<uint32_t>(c.args.size()), &delta);
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(delta, 0) << c.name << " left the stack pointer moved";
    }
}

TEST_F(Dll, NullPointersAreRefusedAlongsideValidOnes) {
    NotifyTarget target{1, kConnectDone};
    RouterRecord record = routerRecord(0x23090);
    ConditionExRecord ex{};
    RouterRecord records[1];
    int32_t count = 0;
    EXPECT_EQ(bind<FindFn>("KZV_Find")(nullptr, 1), KZV_E_PARAM);
    EXPECT_EQ(bind<GetInformationFn>("KZV_GetInformation")(records, nullptr), KZV_E_PARAM);
    EXPECT_EQ(bind<GetInformationFn>("KZV_GetInformation")(nullptr, &count), KZV_E_PARAM);
    EXPECT_EQ(bind<SequenceFn>("KZV_Connect")(&target, nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<SequenceFn>("KZV_Connect")(nullptr, &record, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<SequenceFn>("KZV_Disconnect")(&target, nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<SequenceFn>("KZV_Disconnect")(nullptr, &record, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<ConditionExFn>("KZV_GetConditionEx")(&record, nullptr, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<ConditionExFn>("KZV_GetConditionEx")(nullptr, &ex, 0), KZV_E_PARAM);
    EXPECT_EQ(bind<SetPasswordFn>("KZV_SetPassword")(&record, nullptr), KZV_E_PARAM);
}

TEST_F(Dll, FindRefusesAMaximumOutsideOneToSixtyFour) {
    NotifyTarget target{1, 1034};
    for (int32_t max : {0, -1, 65})
        EXPECT_EQ(bind<FindFn>("KZV_Find")(&target, max), KZV_E_PARAM) << max;
}

TEST_F(Dll, GetInformationWithoutASearchHasNoList) {
    bind<CleanupFn>("KZV_Cleanup")();
    RouterRecord records[1];
    int32_t count = -7;
    EXPECT_EQ(bind<GetInformationFn>("KZV_GetInformation")(records, &count), KZV_E_NO_LIST);
    EXPECT_EQ(count, -7);
}

TEST_F(Dll, GetDllVersionFillsTheEntryTableOnlyWhenBothPointersAreGiven) {
    auto getDllVersion = bind<GetDllVersionFn>("KZV_GetDllVersion");
    ASSERT_NE(getDllVersion, nullptr);
    uintptr_t table = 0xA5A5A5A5;
    uint32_t count = 0x5A5A5A5A;
    EXPECT_EQ(getDllVersion(nullptr, &count), KZV_INTERFACE_VERSION);
    EXPECT_EQ(getDllVersion(&table, nullptr), KZV_INTERFACE_VERSION);
    EXPECT_EQ(table, 0xA5A5A5A5u);
    EXPECT_EQ(count, 0x5A5A5A5Au);

    ASSERT_EQ(getDllVersion(&table, &count), KZV_INTERFACE_VERSION);
    ASSERT_EQ(count, static_cast<uint32_t>(KZV_ENTRY_COUNT));
    const auto *slots = reinterpret_cast<const uintptr_t *>(table);
    EXPECT_EQ(slots[0], reinterpret_cast<uintptr_t>(getDllVersion));
    for (int i = 0; i < KZV_ENTRY_COUNT; ++i)
        EXPECT_EQ(slots[i], reinterpret_cast<uintptr_t>(GetProcAddress(dll(), kExports[i])))
            << kExports[i];
    for (int i = KZV_ENTRY_COUNT; i < KZV_ENTRY_TABLE_SLOTS; ++i)
        EXPECT_EQ(slots[i], 0u) << "slot " << i;
}

// Models the capability table refuses, each with an operation on the border of its row.
TEST_F(Dll, OperationsTheModelDoesNotOfferAreRefused) {
    NotifyTarget target{1, kConnectDone};
    ConditionExRecord ex{};
    RouterCredentials credentials{};
    struct Case {
        uint32_t model;
        const char *operation;
    };
    const Case cases[] = {
        {0x00000000, "KZV_Connect"},      {0x01020000, "KZV_Connect"},
        {0x0002203F, "KZV_ChangeSite"},   {0x0002308F, "KZV_GetConditionEx"},
        {0x0002308F, "KZV_ClearCounter"}, {0x00029999, "KZV_SetPassword"},
        {0x003013FF, "KZV_GetCondition"}, {0x0030999A, "KZV_Disconnect"},
        {0x0030999A, "KZV_ChangeSite"},   {0x0030999A, "KZV_SetPassword"},
    };
    for (const auto &c : cases) {
        RouterRecord record = routerRecord(c.model);
        const std::string op = c.operation;
        int32_t result = 0;
        if (op == "KZV_Connect" || op == "KZV_Disconnect")
            result = bind<SequenceFn>(c.operation)(&target, &record, 0);
        else if (op == "KZV_ChangeSite")
            result = bind<ChangeSiteFn>(c.operation)(&record, 0, 1);
        else if (op == "KZV_GetConditionEx")
            result = bind<ConditionExFn>(c.operation)(&record, &ex, 0);
        else if (op == "KZV_SetPassword")
            result = bind<SetPasswordFn>(c.operation)(&record, &credentials);
        else
            result = bind<RecordPortFn>(c.operation)(&record, 0);
        EXPECT_EQ(result, KZV_E_UNSUPPORTED)
            << c.operation << " on model 0x" << std::hex << c.model;
    }
}

TEST_F(Dll, StartsWinsockAtVersionOneOneAndTreatsAnyOtherVersionAsAbsent) {
    FARPROC *startup = qs::wine::importSlot(dll(), "ws2_32.dll", "WSAStartup");
    FARPROC *cleanup = qs::wine::importSlot(dll(), "ws2_32.dll", "WSACleanup");
    ASSERT_NE(startup, nullptr);
    ASSERT_NE(cleanup, nullptr);
    auto kzvCleanup = bind<CleanupFn>("KZV_Cleanup");
    auto find = bind<FindFn>("KZV_Find");
    auto getCondition = bind<RecordPortFn>("KZV_GetCondition");
    kzvCleanup(); // so that the next call starts the socket layer, through the stand-ins

    ImportPatch startupPatch(startup,
                             reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&fakeStartup)));
    ImportPatch cleanupPatch(cleanup,
                             reinterpret_cast<FARPROC>(reinterpret_cast<void *>(&fakeCleanup)));
    for (WORD offered : {MAKEWORD(1, 1), MAKEWORD(2, 2), MAKEWORD(1, 0)}) {
        SCOPED_TRACE(offered);
        g_winsock = FakeWinsock{offered, {}, 0};
        const bool usable = offered == MAKEWORD(1, 1);
        // A refused call still runs the start-up first.
        EXPECT_EQ(find(nullptr, 1), KZV_E_PARAM);
        EXPECT_EQ(g_winsock.requested, std::vector<WORD>{MAKEWORD(1, 1)});
        EXPECT_EQ(g_winsock.cleanups, usable ? 0 : 1);
        if (!usable) {
            // Refused before any worker or socket exists.
            RouterRecord record = routerRecord(0x21000);
            EXPECT_EQ(getCondition(&record, 0), KZV_E_FAIL);
        }
        EXPECT_EQ(kzvCleanup(), KZV_OK);
        EXPECT_EQ(g_winsock.cleanups, 1);
    }
}

// Connect and disconnect against a router that never answers: each holds its own busy slot
// until its worker gives up, and posts its completion to the window only after releasing it.
TEST_F(Dll, ConnectAndDisconnectEachHoldTheirOwnBusySlot) {
    MessageWindow window;
    ASSERT_TRUE(window.valid());
    auto connect = bind<SequenceFn>("KZV_Connect");
    auto disconnect = bind<SequenceFn>("KZV_Disconnect");
    const NotifyTarget connectTarget{window.handle(), kConnectDone};
    const NotifyTarget disconnectTarget{window.handle(), kDisconnectDone};
    const RouterRecord silent = routerRecord(0x21000);

    ASSERT_EQ(connect(&connectTarget, &silent, 0), KZV_OK);
    EXPECT_EQ(connect(&connectTarget, &silent, 0), KZV_E_BUSY);
    ASSERT_EQ(disconnect(&disconnectTarget, &silent, 1), KZV_OK);
    EXPECT_EQ(disconnect(&disconnectTarget, &silent, 1), KZV_E_BUSY);

    auto connected = window.waitFor(kConnectDone, kSilentRouterMs);
    ASSERT_TRUE(connected.has_value());
    EXPECT_EQ(connected->wparam, KZV_E_NO_ANSWER);
    EXPECT_EQ(connected->lparam, 0);
    auto disconnected = window.waitFor(kDisconnectDone, kSilentRouterMs);
    ASSERT_TRUE(disconnected.has_value());
    EXPECT_EQ(disconnected->wparam, KZV_E_NO_ANSWER);
    EXPECT_EQ(disconnected->lparam, 0);

    // The message arrives after the slot is free, so a new request is accepted at once.
    ASSERT_EQ(connect(&connectTarget, &silent, 0), KZV_OK);
    auto again = window.waitFor(kConnectDone, kSilentRouterMs);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->wparam, KZV_E_NO_ANSWER);
    EXPECT_TRUE(window.pending().empty());
}

// A synchronous call waits for its worker thread and hands back the worker's result.
TEST_F(Dll, GetConditionWaitsForItsWorker) {
    RouterRecord record = routerRecord(0x21000);
    std::memset(&record.ports[0], 0x77, sizeof record.ports[0]);
    const RouterRecord before = record;
    EXPECT_EQ(bind<RecordPortFn>("KZV_GetCondition")(&record, 0), KZV_E_NO_ANSWER);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

} // namespace
