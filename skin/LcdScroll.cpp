#include "skin/LcdScroll.h"

void LcdScroll::Layout(int textWidth, int displayWidth, bool scrollEnabled) {
    m_textWidth = textWidth;
    m_steps = 0;
    m_scrolling = scrollEnabled && textWidth > displayWidth;
    m_x1 = 0;
    m_x2 = m_scrolling ? textWidth + kGap : 0;
}

bool LcdScroll::Step() {
    if (!m_scrolling)
        return false;
    if (m_steps < kStillSteps) {
        ++m_steps;
        return false;
    }
    const int span = m_textWidth + kGap;
    if (m_x1 <= -span)
        m_x1 = m_x2 + span;
    if (m_x2 <= -span)
        m_x2 = m_x1 + span;
    m_x1 -= kStepPixels;
    m_x2 -= kStepPixels;
    return true;
}
