// The help text of mokoa-convert.
#pragma once

extern const char kUsage[];
