#pragma once
// TfrmImportWizzard: separator, then the data type of each of five columns.

#include "formats/csv_import.h"
#include "host/host.h"

class QWidget;

namespace formats::ui {

bool runImportWizard(host::DialogModel& model, QWidget* parent);

}  // namespace formats::ui
