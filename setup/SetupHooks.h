/* The hooks an installer calls while it installs or removes Sonvale. Each returns 0: continue
 * for the two init hooks, done for the two exit hooks. */
#ifndef SONVALE_SETUP_HOOKS_H
#define SONVALE_SETUP_HOOKS_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define SONVALE_SETUP_CONTINUE 0
#define SONVALE_SETUP_DONE 0

/* Before files are copied. */
int Install_Init(void* parentWindow, int firstCall, int previouslyInstalled,
                 const char16_t* installDir);
/* After files are copied. */
int Install_Exit(void* parentWindow, const char16_t* installDir, uint16_t failedDirs,
                 uint16_t failedFiles, uint16_t failedRegKeys, uint16_t failedRegValues,
                 uint16_t failedShortcuts);
/* Before files are removed: cancels the player's wake-up launches, remembers the folder. */
int Uninstall_Init(void* parentWindow, const char16_t* installDir);
/* After files are removed: deletes what is left in the remembered folder. */
int Uninstall_Exit(void* parentWindow);

typedef int (*Install_Init_t)(void*, int, int, const char16_t*);
typedef int (*Install_Exit_t)(void*, const char16_t*, uint16_t, uint16_t, uint16_t, uint16_t,
                              uint16_t);
typedef int (*Uninstall_Init_t)(void*, const char16_t*);
typedef int (*Uninstall_Exit_t)(void*);

#ifdef __cplusplus
}
#endif

#endif
