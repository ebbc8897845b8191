#pragma once

#include "app/TelephonyLine.h"

// A telephone line driven by the test: Ring() and friends report call states.
class FakeTelephonyLine : public TelephonyLine {
public:
    struct Script {
        bool openResult = true;
        bool open = false;
        CallStateHandler handler;
    };

    explicit FakeTelephonyLine(Script& script) : m_script(script) {}
    ~FakeTelephonyLine() override { Close(); }

    bool Open(CallStateHandler handler) override {
        if (!m_script.openResult)
            return false;
        m_script.open = true;
        m_script.handler = std::move(handler);
        return true;
    }
    void Close() override {
        m_script.open = false;
        m_script.handler = nullptr;
    }

private:
    Script& m_script;
};

// Reports a state on the line, when it is being watched.
inline void Report(FakeTelephonyLine::Script& script, uint32_t state) {
    if (script.handler)
        script.handler(state);
}
