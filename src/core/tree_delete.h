#pragma once
// Deleting tracks, routes and points at the tree view's focused node.

#include <functional>
#include <string>

#include "core/document.h"
#include "core/point_list.h"

namespace host {
class Clipboard;
class LocaleInfo;
}  // namespace host

namespace core {

using ReportFn = std::function<void(const std::string&)>;

// Removes the track the focused node belongs to. Its points go to the
// clipboard as row text first, so the user can paste them back.
void DeleteTrack(Document& doc, PointLoader& loader, PointList& points, host::Clipboard& clipboard,
                 const host::LocaleInfo& locale, const ReportFn& report);
void DeleteRoute(Document& doc, const ReportFn& report);
void DeletePoint(Document& doc);

}  // namespace core
