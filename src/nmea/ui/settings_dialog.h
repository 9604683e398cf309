#pragma once
// TfmSettings: the communication settings dialog, shown for a
// nmea::SettingsModel (register it with QtPrompts under "TfmSettings").

#include <functional>
#include "host/host.h"

class QWidget;

namespace nmea::ui {

bool runSettingsDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

}  // namespace nmea::ui
