#pragma once
// TCommPortDriver: one serial port on Linux (termios), opened by port
// number, polled for received bytes on a host timer of the user-interface
// thread with non-blocking reads, written with a time limit. It knows
// nothing of NMEA or Garmin.
//
// Port numbers 1-16 stand for device paths through a PortMap ("COM3" ->
// "/dev/ttyUSB0"). Speeds termios has no constant for (14400, 56000) go
// through the kernel's arbitrary-rate interface (termios2, BOTHER); mark and
// space parity through CMSPAR. 1.5 stop bits exist only with 5 data bits
// (the UART sends 1.5 when asked for 2 there); other cases are refused with
// an error text.
//
// Known gaps against the Windows driver: the kernel's queue sizes and the
// XON/XOFF limits are fixed by the kernel, so ComPortInBufSize only sizes our
// own receive buffer (a read never exceeds it) and ComPortOutBufSize only the
// free space TxFree reports.

#include <termios.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"

namespace nmea {

enum TComPortNumber : std::uint8_t {
    pnCOM1, pnCOM2, pnCOM3, pnCOM4, pnCOM5, pnCOM6, pnCOM7, pnCOM8,
    pnCOM9, pnCOM10, pnCOM11, pnCOM12, pnCOM13, pnCOM14, pnCOM15, pnCOM16,
};
enum TComPortBaudRate : std::uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200, br38400, br56000, br57600, br115200,
};
enum TComPortDataBits : std::uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TComPortStopBits : std::uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TComPortParity : std::uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum TComPortHwHandshaking : std::uint8_t { hhNONE, hhNONERTSON, hhRTSCTS };
enum TComPortSwHandshaking : std::uint8_t { shNONE, shXONXOFF };
enum TPacketMode : std::uint8_t { pmDiscard, pmPass };

// Modem input lines, as bits of ModemLines().
constexpr unsigned kModemCTS = 0x10, kModemDSR = 0x20, kModemRING = 0x40, kModemRLSD = 0x80;

int BaudRateValue(TComPortBaudRate rate);  // br4800 -> 4800

// Device paths of the port numbers 1-16.
// The termios constant of a rate, or 0 where termios has none (14400,
// 56000 ... go through the kernel's arbitrary-rate interface).
speed_t TermiosRate(int rate);

class PortMap {
public:
    static constexpr int kPorts = 16;
    // Filled in order from the serial devices present: /dev/serial/by-id/*,
    // then /dev/ttyUSB*, /dev/ttyACM*, /dev/ttyS* (each device once).
    static PortMap Discover(const std::string& devRoot = "/dev");
    // The "Ports" section of UserData.ini: "COM1"..."COM16" override what
    // Discover found; `lookup` answers a key or none.
    void applySettings(const std::function<std::optional<std::string>(const std::string& key)>& lookup);

    const std::string& path(int portNumber) const;  // empty when none
    void setPath(int portNumber, std::string path);
    // "COM3 (/dev/ttyUSB0)", or "COM3" when the number has no device.
    std::string caption(int portNumber) const;
    static std::string key(int portNumber) { return "COM" + std::to_string(portNumber); }

private:
    std::array<std::string, kPorts> paths_;
};

class TCommPortDriver {
public:
    using ReceiveData = std::function<void(TCommPortDriver& sender, const char* data, size_t size)>;
    using ReceivePacket = std::function<void(TCommPortDriver& sender, const char* packet, size_t size)>;

    TCommPortDriver(host::Timers& timers, PortMap ports);
    ~TCommPortDriver();
    TCommPortDriver(const TCommPortDriver&) = delete;
    TCommPortDriver& operator=(const TCommPortDriver&) = delete;

    bool Open();
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    // Applies the line settings to the open port; false with lastErrorText()
    // when the device refuses them.
    bool ApplySettings();
    int lastError() const { return lastError_; }  // errno of the last failure
    const std::string& lastErrorText() const { return lastErrorText_; }
    // The far end has gone (a pseudo-terminal's master closed, a USB
    // adapter pulled).
    bool hungUp() const { return hungUp_; }

    TComPortNumber ComPort() const { return comPort_; }
    void setComPort(TComPortNumber port);
    TComPortBaudRate ComPortSpeed() const { return speed_; }
    void setComPortSpeed(TComPortBaudRate speed) { setAndApply(speed_, speed); }
    TComPortDataBits ComPortDataBits() const { return dataBits_; }
    void setComPortDataBits(TComPortDataBits bits) { setAndApply(dataBits_, bits); }
    TComPortStopBits ComPortStopBits() const { return stopBits_; }
    void setComPortStopBits(TComPortStopBits bits) { setAndApply(stopBits_, bits); }
    TComPortParity ComPortParity() const { return parity_; }
    void setComPortParity(TComPortParity parity) { setAndApply(parity_, parity); }
    TComPortHwHandshaking ComPortHwHandshaking() const { return hw_; }
    void setComPortHwHandshaking(TComPortHwHandshaking hw) { setAndApply(hw_, hw); }
    TComPortSwHandshaking ComPortSwHandshaking() const { return sw_; }
    void setComPortSwHandshaking(TComPortSwHandshaking sw) { setAndApply(sw_, sw); }
    std::uint16_t ComPortInBufSize() const { return inBufSize_; }
    void setComPortInBufSize(std::uint16_t size);
    std::uint16_t ComPortOutBufSize() const { return outBufSize_; }
    void setComPortOutBufSize(std::uint16_t size);
    std::int16_t PacketSize() const { return packetSize_; }
    void setPacketSize(std::int16_t size);
    std::int32_t PacketTimeout() const { return packetTimeout_; }
    void setPacketTimeout(std::int32_t timeoutMs);
    TPacketMode PacketMode() const { return packetMode_; }
    void setPacketMode(TPacketMode mode) { packetMode_ = mode; }
    std::uint16_t ComPortPollingDelay() const { return pollingDelay_; }
    void setComPortPollingDelay(std::uint16_t delayMs);
    bool EnableDTROnOpen = true;
    std::uint16_t OutputTimeout = 500;  // ms
    std::uint32_t InputTimeout = 200;   // ms; kept, no operation waits for input
    bool CheckLineStatus = false;
    ReceiveData OnReceiveData;
    ReceivePacket OnReceivePacket;
    // Once, when the far end goes away while the port is open.
    std::function<void(TCommPortDriver& sender)> OnHangUp;

    unsigned ModemLines() const;
    void Hold() { ++hold_; }
    void Release() { --hold_; }
    void Purge(bool input, bool output);
    int TxFree() const;
    size_t Write(const char* data, size_t count, unsigned timeoutMs);
    size_t Write(const char* data, size_t count) { return Write(data, count, OutputTimeout); }
    static long TransferMs(TComPortBaudRate speed, long bytes);

    // One tick of the polling timer.
    void poll();
    const PortMap& ports() const { return ports_; }
    void setPorts(PortMap ports) { ports_ = std::move(ports); }
    // Milliseconds of a steady clock, replaceable by tests of packet time-outs.
    std::function<std::int64_t()> tickMs;

private:
    template <typename T>
    void setAndApply(T& field, T value) {
        field = value;
        if (IsOpen()) ApplySettings();
    }
    size_t readInto(size_t count);
    void pollPackets(size_t queued);

    PortMap ports_;
    std::unique_ptr<host::Timer> timer_;
    int fd_ = -1;
    int lastError_ = 0;
    std::string lastErrorText_;
    bool hungUp_ = false;
    TComPortNumber comPort_ = pnCOM2;
    TComPortBaudRate speed_ = br9600;
    TComPortDataBits dataBits_ = db8BITS;
    TComPortStopBits stopBits_ = sb1BITS;
    TComPortParity parity_ = ptNONE;
    TComPortHwHandshaking hw_ = hhNONERTSON;
    TComPortSwHandshaking sw_ = shNONE;
    std::uint16_t inBufSize_ = 2048;
    std::uint16_t outBufSize_ = 2048;
    std::int16_t packetSize_ = -1;
    std::int32_t packetTimeout_ = -1;
    TPacketMode packetMode_ = pmDiscard;
    std::uint16_t pollingDelay_ = 50;
    std::vector<char> buffer_;
    std::int64_t packetStart_ = -1;  // start tick of a partial packet
    int hold_ = 0;
};

}  // namespace nmea
