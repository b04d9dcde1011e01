#pragma once
// A sensor behind a serial port, simulated: the sensor's side of the wire protocol
// (handshake, read and write frames, the two command dialects, the EEPROM lock), the
// timing of a 9600-baud line when asked for, and faults on demand. Tests, benchmarks and
// the built-in demo ports ("virtual:6") all talk to it through the SerialPort interface.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/platform.h"
#include "virtualsensor/factory_images.h"

namespace kelvo::virtualsensor {

enum class LineTiming {
    Instant,   // a reply is readable a turnaround after the request, all at once
    RealTime,  // every byte takes its line time and lands on its own
};

class VirtualSensor : public SerialPort {
public:
    static constexpr int kSingleSensorAddress = 30;
    static constexpr uint8_t kRequestToSendBase = 224;
    static constexpr uint8_t kClearToSend = 223;
    static constexpr uint8_t kAck = 6;
    static constexpr uint8_t kAckAlternative = 134;
    static constexpr uint8_t kRefused = 21;
    // Ten bits (start, eight data, stop) at 9600 baud.
    static constexpr int64_t kByteTimeNs = 1'041'667;
    // How long the sensor's firmware takes before it starts to answer.
    static constexpr int64_t kTurnaroundNs = 1'000'000;
    // A frame whose next byte does not come within this time is forgotten, so a master
    // that gave up half-way finds the sensor listening for a new handshake.
    static constexpr int64_t kFrameTimeoutNs = 50'000'000;
    // Another master on the line polls its sensors this often.
    static constexpr int64_t kOtherMasterPeriodNs = 20'000'000;

    VirtualSensor(const Clock& clock, SensorMemory memory, LineTiming timing = LineTiming::Instant);

    // SerialPort
    void setPortName(const std::string& name) override { portName_ = name; }
    std::string portName() const override { return portName_; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    int bytesWaiting() override;
    Bytes readAll() override;
    bool write(const Bytes& bytes) override;
    void setDtr(bool on) override;
    std::string errorString() const override { return error_; }
    std::optional<int64_t> nextArrivalMs() const override;
    std::optional<int64_t> nextArrivalNs() const override;

    // Set-up
    // The sensor answers 224 + its network ID, and 224 + 30 (the single sensor on a line).
    void setNetworkId(int id) { networkId_ = id; }
    int networkId() const { return networkId_; }
    // A sensor on a network with others answers its own ID only: were all of them to
    // answer the single-sensor address, their replies would collide.
    void answerSingleAddress(bool on) { answerSingleAddress_ = on; }
    // Where its settings keep the network ID: a sensor told so answers the ID stored there
    // from the moment it takes its settings anew (a save to RAM; on platform 5, whose
    // settings live in RAM, a save to EEPROM), so a new ID works once it is committed.
    void followIdByte(bool eeprom, int address) {
        idByteEeprom_ = eeprom;
        idByteAddress_ = address;
    }
    // Between a request's first byte and its last the line is this sensor's: bytes that
    // would address another sensor are data of this frame.
    bool midFrame() const;
    void setLineTiming(LineTiming timing) { timing_ = timing; }
    LineTiming lineTiming() const { return timing_; }
    SensorMemory& memory() { return memory_; }
    const SensorMemory& memory() const { return memory_; }
    // 1 or 2: the command dialect, from the identification byte.
    int protocol() const;
    // Sensors power up locked; the unlock command opens the EEPROM to write frames.
    bool eepromLocked() const { return locked_; }

    // Faults, each named for what the master sees.
    void silentFor(int handshakes) { silentHandshakes_ = handshakes; }
    // Refuses this many requests once `after` more have been answered: a burst of noise
    // that lands on one chosen request of a procedure.
    void refuseNext(int requests, int after = 0) {
        refusals_ = requests;
        answersBeforeRefusals_ = after;
    }
    // Answers this many more requests, then refuses every one (a sensor that fails in the
    // middle of a procedure); a negative count answers for ever again.
    void answerOnly(int requests) { answersLeft_ = requests; }
    // Answers this many more requests, then no handshake at all (a sensor that falls
    // silent in the middle of a write); a negative count never falls silent.
    void silentAfter(int requests) { silentCountdown_ = requests; }
    void corruptChecksumOnce() { corruptNextReply_ = true; }
    // The next `answers` answers (a 223 counts as one, a reply as another) come late.
    void answerLateBy(int64_t ms, int answers);
    // Bytes that land on the line now, unasked.
    void sendGarbage(const Bytes& bytes);
    // A central unit polling its own sensors: a byte every kOtherMasterPeriodNs.
    void otherMasterTalking(bool on);
    void refuseWrites(bool on) { refuseWrites_ = on; }
    // The adapter is unplugged after the master has sent this many more bytes: that
    // write fails, the port closes, and opening fails until reconnect().
    void vanishAfter(int bytes) { vanishCountdown_ = bytes; }
    void reconnect();
    // Another program holds the port: open() fails.
    void refuseOpen(bool on) { refuseOpen_ = on; }
    void answer134(bool on) { answer134_ = on; }

    // What happened, for tests. A long-running sensor (a demo port, the pty server)
    // switches the byte and frame record off so it does not grow for ever.
    void setRecording(bool on) { recording_ = on; }
    const Bytes& received() const { return received_; }               // every byte from the master
    const std::vector<Bytes>& requests() const { return requests_; }  // complete frames
    void clearRecord();
    int opens() const { return opens_; }
    int closes() const { return closes_; }
    int dtrPulses() const { return dtrPulses_; }
    int handshakesAnswered() const { return handshakesAnswered_; }
    int savesToRam() const { return savesToRam_; }
    int savesToEeprom() const { return savesToEeprom_; }
    int idSaves() const { return idSaves_; }
    int twaResets() const { return twaResets_; }

private:
    enum class Command { None, SaveToRam, SaveToEeprom, Lock, Unlock, SaveId, TwaReset };
    struct Arrival {
        int64_t atNs;
        uint8_t byte;
    };

    int64_t nowNs() const;
    bool largeEeprom() const { return memory_.platform == kPlatform7; }
    bool isOurRequestToSend(uint8_t byte) const;
    Command commandOf(uint8_t code) const;
    size_t frameLength(uint8_t first) const;

    void receive(uint8_t byte, int64_t atNs);
    void handleFrame(int64_t atNs);
    void handleRead(int64_t atNs);
    void handleWrite(int64_t atNs);
    void handleCommand(Command command, int64_t atNs);
    void persist(bool toEeprom);
    void takeNetworkIdFromSettings();

    uint8_t ackStatus() const { return answer134_ ? kAckAlternative : kAck; }
    void answer(const Bytes& bytes, int64_t requestEndNs);
    void refuse(int64_t atNs) { answer({kRefused}, atNs); }
    void deliver(uint8_t byte, int64_t atNs);
    void catchUpOtherMaster(int64_t untilNs);
    void takeVanishedPort();

    const Clock& clock_;
    SensorMemory memory_;
    LineTiming timing_;
    std::string portName_;
    int networkId_ = kSingleSensorAddress;
    bool answerSingleAddress_ = true;
    bool idByteEeprom_ = false;
    int idByteAddress_ = -1;
    bool open_ = false;
    bool vanished_ = false;
    bool dtr_ = false;
    std::string error_;

    // The line, both ways.
    int64_t masterLineFreeNs_ = 0;  // the master's last byte is on the wire until then
    int64_t sensorLineFreeNs_ = 0;
    std::deque<Arrival> inbound_;  // bytes on their way to the master, by arrival time

    // The firmware's receive state.
    bool awaitingFrame_ = false;
    int64_t lastByteNs_ = 0;
    Bytes frame_;
    size_t frameSize_ = 0;
    bool locked_ = true;

    // Faults.
    int silentHandshakes_ = 0;
    int refusals_ = 0;
    int answersBeforeRefusals_ = 0;
    int answersLeft_ = -1;
    int silentCountdown_ = -1;
    bool corruptNextReply_ = false;
    int64_t lateByNs_ = 0;
    int lateAnswers_ = 0;
    bool otherMaster_ = false;
    int64_t otherMasterNextNs_ = 0;
    bool refuseWrites_ = false;
    int vanishCountdown_ = -1;
    bool refuseOpen_ = false;
    bool answer134_ = false;

    // Record.
    bool recording_ = true;
    Bytes received_;
    std::vector<Bytes> requests_;
    int opens_ = 0;
    int closes_ = 0;
    int dtrPulses_ = 0;
    int handshakesAnswered_ = 0;
    int savesToRam_ = 0;
    int savesToEeprom_ = 0;
    int idSaves_ = 0;
    int twaResets_ = 0;
};

}  // namespace kelvo::virtualsensor
