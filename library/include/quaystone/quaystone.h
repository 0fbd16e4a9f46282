/*
 * Quaystone: router-control library.
 *
 * Eleven flat C entry points with byte-exact records. Callers (including programs written in
 * other languages) lay the records out themselves, so every size and offset below is part of the
 * binary interface and is checked at compile time.
 */
#ifndef QUAYSTONE_QUAYSTONE_H
#define QUAYSTONE_QUAYSTONE_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define KZV_CALL __stdcall
#else
#define KZV_CALL
#endif

#if defined(QUAYSTONE_BUILDING)
#if defined(_WIN32)
#define KZV_API
#else
#define KZV_API __attribute__((visibility("default")))
#endif
#else
#define KZV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define KZV_OK 0
#define KZV_E_FAIL (-1)
#define KZV_E_UNSUPPORTED (-100)
#define KZV_E_NO_ANSWER (-101)
#define KZV_E_PARAM (-102)
#define KZV_E_BUSY (-103)
#define KZV_E_NO_LIST (-104)
#define KZV_E_SEARCHING (-105)
#define KZV_E_CONNECT_STATE (-106)
#define KZV_E_DISCONNECT_STATE (-107)
#define KZV_E_TIMEOUT (-108)
#define KZV_E_DISCONNECT_TIMEOUT (-109)
#define KZV_E_REFUSED (-111)

/* Line states. */
#define LINE_OFF 0
#define LINE_IDLE 3
#define LINE_BUSY 4
#define LINE_CONNECTED 5
#define LINE_CONNECTED_EX 21

/* Interface version returned by KZV_GetDllVersion. */
#define KZV_INTERFACE_VERSION 66048
#define KZV_ENTRY_TABLE_SLOTS 50
#define KZV_ENTRY_COUNT 11

#define KZV_MAX_ROUTERS 64

#pragma pack(push, 1)

typedef struct NotifyTarget {
    uint32_t window;
    uint32_t message;
} NotifyTarget;

typedef struct PortCondition {
    uint16_t line_state;
    uint16_t reserved2; /* never written by the library */
    uint32_t status_flags;
    uint16_t selected_site;
    uint16_t reserved10; /* never written by the library */
    uint16_t site_registered[4];
    char site_names[4][40];
} PortCondition;

typedef struct RouterRecord {
    uint32_t address;
    uint32_t subnet_mask;
    char name[40];
    uint32_t model_code;
    uint16_t auth_flag;
    uint16_t from_challenge;
    PortCondition ports[2];
    uint16_t key_id;
    uint16_t second_id;
    uint8_t raw_info[6];
    uint16_t raw_426;
    uint32_t value_428;
    uint16_t capability_high;
    uint16_t capability_low;
    uint16_t raw_436;
    uint16_t raw_438;
    uint16_t auth_seed;
    uint16_t scramble_seed;
    uint32_t user_length;
    uint8_t user[20];
    uint32_t password_length;
    uint8_t password[20];
    uint8_t zero[20];
} RouterRecord;

typedef struct ConditionExRecord {
    uint16_t line_state;
    uint16_t reserved2;
    uint32_t status_flags;
    uint16_t line_type;
    uint16_t selected_site;
    uint16_t site_registered[4];
    char site_names[4][40];
    uint16_t value_180;
    uint16_t value_182;
    char text_184[140];
    uint32_t connection_mode;
    uint32_t global_address;
    char text_332[40];
    uint32_t bytes_sent;
    uint32_t bytes_received;
    uint32_t packets_sent;
    uint32_t packets_received;
    uint32_t error_packets;
    uint32_t connection_time;
    uint16_t timer_kind;
    uint16_t timer_hour;
    uint16_t timer_minute;
    uint16_t timer_second;
    uint32_t timer_value;
} ConditionExRecord;

typedef struct RouterCredentials {
    uint32_t user_length;
    uint8_t user[20];
    uint32_t password_length;
    uint8_t password[20];
} RouterCredentials;

#pragma pack(pop)

/* table_out receives the address of a 50-slot table of entry points. Each slot and the cell are
 * pointer-sized: 32 bits in the Windows DLL, 64 bits in a 64-bit build. */
KZV_API int32_t KZV_CALL KZV_GetDllVersion(uintptr_t *table_out, uint32_t *count_out);
KZV_API int32_t KZV_CALL KZV_Find(const NotifyTarget *target, int32_t max);
KZV_API int32_t KZV_CALL KZV_GetInformation(RouterRecord *records_out, int32_t *count_out);
KZV_API int32_t KZV_CALL KZV_Connect(const NotifyTarget *target, const RouterRecord *record,
                                     int32_t port);
KZV_API int32_t KZV_CALL KZV_Disconnect(const NotifyTarget *target, const RouterRecord *record,
                                        int32_t port);
KZV_API int32_t KZV_CALL KZV_GetCondition(RouterRecord *record, int32_t port);
KZV_API int32_t KZV_CALL KZV_ChangeSite(const RouterRecord *record, int32_t port, int32_t site);
KZV_API int32_t KZV_CALL KZV_GetConditionEx(const RouterRecord *record, ConditionExRecord *ex_out,
                                            int32_t port);
KZV_API int32_t KZV_CALL KZV_ClearCounter(const RouterRecord *record, int32_t port);
/* Requests still running when the library is cleaned up keep their sockets: the socket layer
 * stops once the last of them has ended. */
KZV_API int32_t KZV_CALL KZV_Cleanup(void);
KZV_API int32_t KZV_CALL KZV_SetPassword(RouterRecord *record,
                                         const RouterCredentials *credentials);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The layout is the interface: a wrong offset here silently corrupts a caller's memory. */
#ifdef __cplusplus
#define KZV_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define KZV_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

KZV_STATIC_ASSERT(sizeof(NotifyTarget) == 8, "NotifyTarget size");
KZV_STATIC_ASSERT(offsetof(NotifyTarget, window) == 0, "NotifyTarget.window");
KZV_STATIC_ASSERT(offsetof(NotifyTarget, message) == 4, "NotifyTarget.message");

KZV_STATIC_ASSERT(sizeof(PortCondition) == 180, "PortCondition size");
KZV_STATIC_ASSERT(offsetof(PortCondition, line_state) == 0, "PortCondition.line_state");
KZV_STATIC_ASSERT(offsetof(PortCondition, reserved2) == 2, "PortCondition.reserved2");
KZV_STATIC_ASSERT(offsetof(PortCondition, status_flags) == 4, "PortCondition.status_flags");
KZV_STATIC_ASSERT(offsetof(PortCondition, selected_site) == 8, "PortCondition.selected_site");
KZV_STATIC_ASSERT(offsetof(PortCondition, reserved10) == 10, "PortCondition.reserved10");
KZV_STATIC_ASSERT(offsetof(PortCondition, site_registered) == 12, "PortCondition.registered");
KZV_STATIC_ASSERT(offsetof(PortCondition, site_names) == 20, "PortCondition.site_names");

KZV_STATIC_ASSERT(sizeof(RouterRecord) == 512, "RouterRecord size");
KZV_STATIC_ASSERT(offsetof(RouterRecord, address) == 0, "RouterRecord.address");
KZV_STATIC_ASSERT(offsetof(RouterRecord, subnet_mask) == 4, "RouterRecord.subnet_mask");
KZV_STATIC_ASSERT(offsetof(RouterRecord, name) == 8, "RouterRecord.name");
KZV_STATIC_ASSERT(offsetof(RouterRecord, model_code) == 48, "RouterRecord.model_code");
KZV_STATIC_ASSERT(offsetof(RouterRecord, auth_flag) == 52, "RouterRecord.auth_flag");
KZV_STATIC_ASSERT(offsetof(RouterRecord, from_challenge) == 54, "RouterRecord.from_challenge");
KZV_STATIC_ASSERT(offsetof(RouterRecord, ports) == 56, "RouterRecord.ports");
KZV_STATIC_ASSERT(offsetof(RouterRecord, key_id) == 416, "RouterRecord.key_id");
KZV_STATIC_ASSERT(offsetof(RouterRecord, second_id) == 418, "RouterRecord.second_id");
KZV_STATIC_ASSERT(offsetof(RouterRecord, raw_info) == 420, "RouterRecord.raw_info");
KZV_STATIC_ASSERT(offsetof(RouterRecord, raw_426) == 426, "RouterRecord.raw_426");
KZV_STATIC_ASSERT(offsetof(RouterRecord, value_428) == 428, "RouterRecord.value_428");
KZV_STATIC_ASSERT(offsetof(RouterRecord, capability_high) == 432, "RouterRecord.cap_high");
KZV_STATIC_ASSERT(offsetof(RouterRecord, capability_low) == 434, "RouterRecord.cap_low");
KZV_STATIC_ASSERT(offsetof(RouterRecord, raw_436) == 436, "RouterRecord.raw_436");
KZV_STATIC_ASSERT(offsetof(RouterRecord, raw_438) == 438, "RouterRecord.raw_438");
KZV_STATIC_ASSERT(offsetof(RouterRecord, auth_seed) == 440, "RouterRecord.auth_seed");
KZV_STATIC_ASSERT(offsetof(RouterRecord, scramble_seed) == 442, "RouterRecord.scramble_seed");
KZV_STATIC_ASSERT(offsetof(RouterRecord, user_length) == 444, "RouterRecord.user_length");
KZV_STATIC_ASSERT(offsetof(RouterRecord, user) == 448, "RouterRecord.user");
KZV_STATIC_ASSERT(offsetof(RouterRecord, password_length) == 468, "RouterRecord.pw_length");
KZV_STATIC_ASSERT(offsetof(RouterRecord, password) == 472, "RouterRecord.password");
KZV_STATIC_ASSERT(offsetof(RouterRecord, zero) == 492, "RouterRecord.zero");

KZV_STATIC_ASSERT(sizeof(ConditionExRecord) == 408, "ConditionExRecord size");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, line_state) == 0, "Ex.line_state");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, reserved2) == 2, "Ex.reserved2");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, status_flags) == 4, "Ex.status_flags");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, line_type) == 8, "Ex.line_type");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, selected_site) == 10, "Ex.selected_site");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, site_registered) == 12, "Ex.site_registered");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, site_names) == 20, "Ex.site_names");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, value_180) == 180, "Ex.value_180");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, value_182) == 182, "Ex.value_182");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, text_184) == 184, "Ex.text_184");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, connection_mode) == 324, "Ex.connection_mode");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, global_address) == 328, "Ex.global_address");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, text_332) == 332, "Ex.text_332");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, bytes_sent) == 372, "Ex.bytes_sent");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, bytes_received) == 376, "Ex.bytes_received");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, packets_sent) == 380, "Ex.packets_sent");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, packets_received) == 384, "Ex.packets_received");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, error_packets) == 388, "Ex.error_packets");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, connection_time) == 392, "Ex.connection_time");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, timer_kind) == 396, "Ex.timer_kind");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, timer_hour) == 398, "Ex.timer_hour");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, timer_minute) == 400, "Ex.timer_minute");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, timer_second) == 402, "Ex.timer_second");
KZV_STATIC_ASSERT(offsetof(ConditionExRecord, timer_value) == 404, "Ex.timer_value");

KZV_STATIC_ASSERT(sizeof(RouterCredentials) == 48, "RouterCredentials size");
KZV_STATIC_ASSERT(offsetof(RouterCredentials, user_length) == 0, "Cred.user_length");
KZV_STATIC_ASSERT(offsetof(RouterCredentials, user) == 4, "Cred.user");
KZV_STATIC_ASSERT(offsetof(RouterCredentials, password_length) == 24, "Cred.password_length");
KZV_STATIC_ASSERT(offsetof(RouterCredentials, password) == 28, "Cred.password");

#undef KZV_STATIC_ASSERT

#endif /* QUAYSTONE_QUAYSTONE_H */
