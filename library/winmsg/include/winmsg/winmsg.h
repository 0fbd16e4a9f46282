/*
 * winmsg: posting small window messages between threads of one process.
 *
 * A receiver registers and gets a 32-bit window handle. Any thread may post to that handle; the
 * receiver runs on the posting thread and is expected only to hand the message over to its
 * owner (for example by queueing an event). The interface is plain C so that programs in other
 * languages (Python ctypes among them) can use it.
 */
#ifndef WINMSG_WINMSG_H
#define WINMSG_WINMSG_H

#include <stdint.h>

#if defined(WINMSG_BUILDING) && !defined(_WIN32)
#define WINMSG_API __attribute__((visibility("default")))
#else
#define WINMSG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void (*WinMsgReceiver)(void *context, uint32_t window, uint32_t message, int32_t wparam,
                               int32_t lparam);

/* Returns a new nonzero window handle, or 0 when receiver is null. */
WINMSG_API uint32_t winmsg_register(WinMsgReceiver receiver, void *context);

/* After this returns, no call of the window's receiver is running (other than one on the calling
 * thread, when a receiver unregisters itself) and none will start. Unknown handles are ignored. */
WINMSG_API void winmsg_unregister(uint32_t window);

/* Returns 1 when the message was handed to the receiver, 0 when no such window exists. */
WINMSG_API int32_t winmsg_post(uint32_t window, uint32_t message, int32_t wparam, int32_t lparam);

#ifdef __cplusplus
}
#endif

#endif
