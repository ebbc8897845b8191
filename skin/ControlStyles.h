#pragma once

#include <cstdint>

// Style bits and message numbers of the skinned controls. The numbers are the system's own, so
// that owners handle the controls like the standard ones.

// Window style bits the controls read at creation.
inline constexpr uint32_t WS_TABSTOP = 0x00010000; // a press takes the focus
inline constexpr uint32_t WS_DISABLED = 0x08000000;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001; // tells the parent its id as default button
inline constexpr uint32_t TBS_VERT = 0x0002;         // vertical image slider

// Grid of an image button's picture (bits 0x0F00 of its creation style).
inline constexpr uint32_t IBS_GRID_MASK = 0x0F00;
inline constexpr uint32_t IBS_ONE_COLUMN = 0x0100;
inline constexpr uint32_t IBS_TWO_COLUMNS = 0x0200;       // disabled shows column 1
inline constexpr uint32_t IBS_TWO_COLUMNS_FOCUS = 0x0300; // focused shows column 1
inline constexpr uint32_t IBS_THREE_COLUMNS = 0x0400;     // focused 1, disabled 2

// Sent to a parent dialog by a default push button at creation: wParam its id.
inline constexpr uint32_t DM_SETDEFID = 0x0401;

// The image slider's notification: wParam the control id, lParam one of the codes below.
inline constexpr uint32_t WM_SLIDEBAR_NOTIFY = 0x0401;
inline constexpr intptr_t SLIDEBAR_MOVED = 1026;
inline constexpr intptr_t SLIDEBAR_RELEASED = 1027;

// Trackbar scroll codes (low word of WM_HSCROLL / WM_VSCROLL; the position is the high word).
inline constexpr uint16_t TB_LINEUP = 0;
inline constexpr uint16_t TB_LINEDOWN = 1;
inline constexpr uint16_t TB_PAGEUP = 2;
inline constexpr uint16_t TB_PAGEDOWN = 3;
inline constexpr uint16_t TB_THUMBPOSITION = 4;
inline constexpr uint16_t TB_THUMBTRACK = 5;
inline constexpr uint16_t TB_TOP = 6;
inline constexpr uint16_t TB_BOTTOM = 7;
inline constexpr uint16_t TB_ENDTRACK = 8;

// Trackbar messages a SmallSlider answers.
inline constexpr uint32_t TBM_GETPOS = 1024;
inline constexpr uint32_t TBM_GETRANGEMIN = 1025;
inline constexpr uint32_t TBM_GETRANGEMAX = 1026;
inline constexpr uint32_t TBM_SETTIC = 1028;   // the mark, lParam
inline constexpr uint32_t TBM_SETPOS = 1029;   // lParam position, wParam non-zero redraws
inline constexpr uint32_t TBM_SETRANGE = 1030; // lParam: low word min, high word max
