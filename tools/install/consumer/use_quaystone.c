/* Another program using the installed library: it asks for the interface version and takes the
 * address of a winmsg entry point, so that both libraries must link. */
#include <quaystone/quaystone.h>
#include <winmsg/winmsg.h>

#include <stdio.h>

int main(void) {
    uintptr_t table = 0;
    uint32_t count = 0;
    int32_t version = KZV_GetDllVersion(&table, &count);
    void (*unregister)(uint32_t) = winmsg_unregister;
    printf("KZV_GetDllVersion %ld, %lu entry points\n", (long)version, (unsigned long)count);
    return version == KZV_INTERFACE_VERSION && count == 11 && unregister != NULL ? 0 : 1;
}
