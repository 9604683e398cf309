#include "garmin/commands.h"

#include "garmin/session.h"

namespace garmin {

namespace {

std::vector<std::string> words(const CommDialogModel& c, const char* verb) {
    std::vector<std::string> out{"id request"};
    if (c.cbTrackpoints) out.push_back(std::string(verb) + "trackpoints");
    if (c.cbWaypoints) out.push_back(std::string(verb) + "waypoints");
    if (c.cbRoutes) out.push_back(std::string(verb) + "routes");
    if (c.cbPower) out.push_back("power off");
    return out;
}

bool askAndQueue(host::Prompts& prompts, CommDialogModel& dialog, const std::string& caption, Session& session,
                 std::vector<std::string> (*wordsFor)(const CommDialogModel&)) {
    dialog.caption = caption;
    if (!prompts.show(dialog)) return false;
    for (const auto& w : wordsFor(dialog)) session.appendCommand(w);
    return true;
}

}  // namespace

std::vector<std::string> TransmitWords(const CommDialogModel& choice) { return words(choice, "put "); }

std::vector<std::string> ReceiveWords(const CommDialogModel& choice) {
    std::vector<std::string> out = words(choice, "get ");
    if (choice.cbTrackpoints || choice.cbWaypoints) out.push_back("determine bounds");
    return out;
}

bool acVerzendenExecute(host::Prompts& prompts, CommDialogModel& dialog, const std::string& message46,
                        Session& session) {
    return askAndQueue(prompts, dialog, message46, session, TransmitWords);
}

bool acOntvangenExecute(host::Prompts& prompts, CommDialogModel& dialog, const std::string& message47,
                        Session& session) {
    return askAndQueue(prompts, dialog, message47, session, ReceiveWords);
}

}  // namespace garmin
