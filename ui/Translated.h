#pragma once

#include "support/UiText.h"

#include <QString>

// A text of the Qt-free layers in the UI language: translated in its context, then its
// arguments put in place.
QString Translated(const UiText& text);
