#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

// The status bar's texts.
namespace threadhop::AppStatusBarPresenter {

/// "v1.2 (34)" with a build, "v1.2" without one, "" without a version.
QString version(const QString& shortVersion, const QString& build);

/// "Scanning…" during a scan; after one "<n> projects · scanned <age>"; before any "Not scanned yet".
QString liveState(bool isScanning, const std::optional<std::chrono::system_clock::time_point>& lastScanFinished,
                  std::int64_t totalProjects, std::chrono::system_clock::time_point now);

/// The link to the product page shows only when the build names one.
bool showsProductLink(const QString& productPageURL);

} // namespace threadhop::AppStatusBarPresenter
