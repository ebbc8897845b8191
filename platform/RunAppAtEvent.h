#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Registry;

// Launch registrations: "start this program when that system event happens". They live in the
// registry store under HKEY_LOCAL_MACHINE\Software\Sonvale\LaunchAtEvent, one sub-key per
// (program, event), so that they outlast the program and are seen by every process.
class RunAppAtEvent {
public:
    static constexpr int32_t kEventNone = 0;    // cancels every registration of the program
    static constexpr int32_t kEventWakeup = 11; // the device woke up (a resume from suspend)
    static constexpr const char16_t* kKey = u"Software\\Sonvale\\LaunchAtEvent";

    struct Registration {
        std::u16string application;
        int32_t event = 0;
    };

    // Registers `application` for `event`, or with kEventNone removes all its registrations.
    // Registering the same pair twice keeps one registration.
    static bool Register(Registry& registry, std::u16string_view application, int32_t event);
    static std::vector<Registration> List(Registry& registry);
};

// The system call's form, on the process's registry store.
bool CeRunAppAtEvent(std::u16string_view application, int32_t event);
