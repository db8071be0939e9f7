// The voice of mdlClip in the error log, shared by the files the unit is split into.
#pragma once

#include "band/Reporter.h"

inline constexpr Reporter kClipReporter{"LumoraClipper", "mdlClip"};
