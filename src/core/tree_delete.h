#pragma once
// Deleting tracks, routes and points at the tree view's focused node. Every
// deletion marks the document changed.

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
// clipboard as row text first, so the user can paste them back; when that
// copy is cancelled part-way the track stays. True when a track went.
bool DeleteTrack(Document& doc, PointLoader& loader, host::Clipboard& clipboard, const host::LocaleInfo& locale,
                 const ReportFn& report);
bool DeleteRoute(Document& doc, const ReportFn& report);
bool DeletePoint(Document& doc);

}  // namespace core
