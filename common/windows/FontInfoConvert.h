// The settings' fonts as the window layer's LOGFONT, and back.
#pragma once

#include "common/services/CFontInfo.h"
#include "platform/ui/WinGdi.h"

LOGFONT ToLogFont(const CFontInfo& spec);
// The font dialog's answer within the bounds the settings keep; what is out of them
// stays as in previous.
CFontInfo ToFontInfo(const LOGFONT& font, const CFontInfo& previous);
