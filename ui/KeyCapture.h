#pragma once

class QObject;

// The window that is capturing a key for the key map, if any. While one is open, the keys that
// come from outside the focused window (the media keys, the desktop's shortcuts) go to it
// instead of to the player, so that they can be mapped too.
class KeyCapture {
public:
    static void Begin(QObject* window);
    static void End(QObject* window);
    // The capturing window, or null.
    static QObject* Window();
};
