#pragma once
// The packet log's texts: one name line per packet and, with "Show
// translations", the packet's fields in words. A diagnostic aid only.

#include <string>
#include <vector>

#include "garmin/bytes.h"
#include "garmin/records.h"

namespace host {
class LocaleInfo;
class Clock;
}  // namespace host

namespace garmin {

// "Ack", "Track data", ...; empty for an id the log does not know.
std::string PacketName(std::uint8_t id);
// The name line: direction, blank, the name in double quotes; or
// direction + " Message ID: $" + hex + " (Unknown)".
std::string NameLine(char direction, std::uint8_t id);
extern const char* const kUnknownPacketLine;  // > "UNKNOWN PACKET"

// "Default Physical Protocol" for "P000"; empty for a tag not listed.
std::string ProtocolDescription(const std::string& tag);

struct TranslationContext {
    const ProtocolList& protocols;
    long recordIndex = 0;
    long nRecords = 0;
    int trackNumber = 0;
    const host::LocaleInfo& locale;
    const host::Clock& clock;
};

// The lines written after the name line when translations are on.
std::vector<std::string> TranslatePacket(const Packet& packet, const TranslationContext& context);

}  // namespace garmin
