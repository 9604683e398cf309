#pragma once
// TfmSelectField: which columns the text export writes, and in which order.

#include <functional>
#include "formats/text_export.h"
#include "host/host.h"

class QWidget;

namespace formats::ui {

bool runFieldDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

}  // namespace formats::ui
