// The texts the core libraries speak of, in the user's language: the windows word them
// from the core's results, so the core stays free of the translation system. Without a
// translation each reads exactly as the core's own Japanese text.
#pragma once

#include "image/loaders.h"
#include "phone/fit_to_limit.h"

#include <QString>

class OutputPipeline;
class ProfileSelection;
struct SizeCheckResult;

// Why a picture file could not be read.
QString LoadFailureReason(LoadError error);
// "ファイル「path」を開けませんでした。" with the reason on the next line.
QString OpenFailureMessage(const QString& path, LoadError error);

// Entry `index` of the profile list (ProfileSelection::ItemText) and the main window's
// title (ProfileSelection::Caption).
QString ProfileItemText(const ProfileSelection& profile, int index);
QString ProfileCaption(const ProfileSelection& profile);

// Entry `index` of the format list (OutputPipeline::FormatText), the fitted one included.
QString FormatItemText(const OutputPipeline& pipeline, int index);

// The size check's message (SizeCheckResult::message) for a PNG (`png`) or JPEG file.
QString SizeCheckText(const SizeCheckResult& result, bool png);

// What fitting a carrier's limit found (FitSummary).
QString FitSummaryText(const FitResult& result, Carrier carrier);

// The plug-ins' part of the Open dialog's filter (BuildPluginFilter).
QString PluginFilterText(const QString& filter);
