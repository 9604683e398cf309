#pragma once
// TfmSettings as a model: the two channel records, the protocol, the port
// listener and our two options, in the form the dialog shows them. The
// widget (nmea/ui/settings_dialog) fills its lists from here and writes the
// user's choices back; the rules live here.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "nmea/channels.h"

namespace nmea {

class SettingsModel : public host::DialogModel {
public:
    std::string dialogName() const override { return "TfmSettings"; }

    static const std::vector<int>& Speeds();  // 1200 ... 115200, the speed list
    static const std::vector<std::string>& BitsItems();    // "5 bits" ... "8 bits"
    static const std::vector<std::string>& ParityItems();  // "None" ... "Space"
    static const std::vector<std::string>& StopItems();    // "1", "1,5", "2"

    // One group: "Garmin mode" (record 1) or "NMEA mode" (record 2). List
    // choices are item indexes, -1 for none.
    struct Group {
        int port = -1;
        int speed = -1;
        int bits = 3;
        int parity = 0;
        int stop = 1;
        bool clientSocket = false;
        std::string address;
        std::string ipPort;
        // The five serial lists are enabled exactly when the client socket box is clear.
        bool serialEnabled() const { return !clientSocket; }
    };
    std::array<Group, 2> groups;
    std::vector<std::string> portCaptions;  // "COM3 (/dev/ttyUSB0)"
    bool listener = false;                  // "Enable port listener"
    std::string listenerPort;
    bool listenAllInterfaces = false;  // "Listen on all interfaces"
    bool allTalkers = true;            // "Decode all satellite systems"
    bool garmin = false;               // rbGarmin, else rbNMEA

    // CheckBox3Click: acts at once, without OK. Returns the state the box
    // must show (cleared again when the listener could not start).
    std::function<bool(bool ticked)> listenerToggled;

    // For OK: empty when every field is usable, else the error to show.
    // Nothing is stored while a field is wrong.
    std::string validate() const;
};

// "'x' is not a valid integer value" for text that is no whole number.
bool ParsePortText(const std::string& text, int& port, std::string& error);

// Fills the dialog from the records; the listener box keeps `listenerBox`.
void FillSettings(SettingsModel& model, const Channels& channels, bool listenerBox);
// OK: stops the channel and stores the dialog's values in the records.
void StoreSettings(const SettingsModel& model, Channels& channels);

// The menu command "Instellingen" (Instellingen2Click). It remembers the
// listener box between showings.
class CommunicationSettings {
public:
    // True when the user closed the dialog with OK.
    bool Instellingen2Click(Channels& channels, host::Prompts& prompts);
    bool listenerBox = false;
};

}  // namespace nmea
