#include "dialer/DialState.h"

#include <cstdio>

#include "res/resource.h"

namespace dialer {

const char* const kDialFailedText = "拨号连接失败，空闲中...";
const char* const kConnectedText = "拨号连接成功，开始计时...";
const char* const kHungUpText = "连接已经被手工挂断，空闲中...";
const char* const kLineDroppedText = "连接已经断开，空闲中...";

unsigned GetStateStringId(unsigned state) {
    // The texts follow the table of states: the stages from 0, the paused states, then the two
    // end states.
    constexpr unsigned kFirstPaused = IDS_STATE_FIRST + kRasWaitForCallback + 1;
    constexpr unsigned kFirstEnd = kFirstPaused + (kRasPasswordExpired - kRasInteractive) + 1;
    static_assert(kFirstEnd + (kRasDisconnected - kRasConnected) == IDS_STATE_LAST);
    if (state <= kRasWaitForCallback) {
        return IDS_STATE_FIRST + state;
    }
    if (state >= kRasInteractive && state <= kRasPasswordExpired) {
        return kFirstPaused + (state - kRasInteractive);
    }
    if (state == kRasConnected || state == kRasDisconnected) {
        return kFirstEnd + (state - kRasConnected);
    }
    return kNoStageText;
}

ControlStates ControlsFor(LinkState state) {
    const bool idle = state == LinkState::Idle;
    return ControlStates{idle, !idle, idle, idle, idle};
}

DialEvent ClassifyDialEvent(unsigned state, unsigned error, bool dialHeld, bool connected) {
    if (!dialHeld) {
        return DialEvent::Stale;
    }
    if (connected) {
        // Once the line is up only its end matters; a stage or a second connected event
        // changes nothing.
        return error != 0 || state == kRasDisconnected ? DialEvent::Dropped : DialEvent::Stale;
    }
    if (error != 0) {
        return DialEvent::Failed;
    }
    if ((state & kRasDoneBit) == 0) {
        return DialEvent::Progress;
    }
    // The done bit is set for the end of a dial either way; only the connected state is a
    // line that is up.
    return state == kRasDisconnected ? DialEvent::Failed : DialEvent::Connected;
}

bool RunningSaveDue(int seconds, int savedAtSeconds) {
    return seconds - savedAtSeconds >= kRunningSaveSeconds || seconds < savedAtSeconds;
}

int ElapsedWholeSeconds(std::int64_t startMs, std::int64_t nowMs) {
    if (nowMs <= startMs) {
        return 0;
    }
    const std::int64_t seconds = (nowMs - startMs) / 1000;
    return seconds > 0x7fffffff ? 0x7fffffff : static_cast<int>(seconds);
}

int ConnectedSeconds(const ClockReading& connected, const ClockReading& now) {
    const std::int64_t counted = now.monotonicMs - connected.monotonicMs;
    const std::int64_t wall = now.wallMs - connected.wallMs;
    // A wall clock set back before the connect says nothing of the time online: the counter
    // holds, rather than a connection of hours stored as none.
    if (wall < 0) {
        return ElapsedWholeSeconds(0, counted);
    }
    const std::int64_t bound = wall + 1000;
    return ElapsedWholeSeconds(0, counted < bound ? counted : bound);
}

std::string FormatConnectedStatus(int seconds) {
    char text[128];
    std::snprintf(text, sizeof(text), "已连接%d秒钟，合计%d小时%d分", seconds, seconds / 3600,
                  (seconds / 60) % 60);
    return text;
}

std::string UnsavedRecordMessage(const std::string& recordText) {
    return std::string("本次连接记录无法保存到设置文件，请手工记下：\n\n") + recordText;
}

std::string UnwrittenFileMessage(const std::string& location, const std::string& recordText) {
    const std::string file = location.empty() ? std::string("corvantile.ini") : location;
    return "设置文件 " + file +
           " 现在无法写入（可能是只读文件，或被其他程序占用）。上网记录暂时保存在程序中，"
           "文件可以写入时会自动补写；在此之前请不要退出程序。为防万一，请记下：\n\n" +
           recordText;
}

} // namespace dialer
