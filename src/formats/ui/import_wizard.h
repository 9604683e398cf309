#pragma once
// TfrmImportWizzard: separator, then the data type of each of five columns.

#include <functional>
#include "formats/csv_import.h"
#include "host/host.h"

class QWidget;

namespace formats::ui {

bool runImportWizard(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

}  // namespace formats::ui
