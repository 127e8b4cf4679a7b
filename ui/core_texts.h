// The texts the core libraries speak of, in the user's language: the windows word them
// from the core's results, so the core stays free of the translation system.
#pragma once

#include "image/loaders.h"

#include <QString>

// Why a picture file could not be read.
QString LoadFailureReason(LoadError error);
// "ファイル「path」を開けませんでした。" with the reason on the next line.
QString OpenFailureMessage(const QString& path, LoadError error);
