#pragma once
// TfmSelectField: which columns the text export writes, and in which order.

#include "formats/text_export.h"
#include "host/host.h"

class QWidget;

namespace formats::ui {

bool runFieldDialog(host::DialogModel& model, QWidget* parent);

}  // namespace formats::ui
