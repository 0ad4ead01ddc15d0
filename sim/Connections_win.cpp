#include "sim/Connections_win.h"

#include "sim/RasLog_win.h"

namespace simras {

DWORD Registry::Add(const std::shared_ptr<Connection>& conn) {
    Guard guard(*this);
    conn->id = nextId_++;
    live_[conn->id] = conn;
    return conn->id;
}

std::shared_ptr<Connection> Registry::Find(DWORD id) {
    Guard guard(*this);
    auto it = live_.find(id);
    if (it != live_.end())
        return it->second;
    auto closing = closing_.find(id);
    if (closing == closing_.end())
        return nullptr;
    if (GetTickCount() - closing->second.hungUpAt < closing->second.conn->script.hangUpMs)
        return closing->second.conn;
    closing_.erase(closing);
    return nullptr;
}

std::shared_ptr<Connection> Registry::Remove(DWORD id) {
    Guard guard(*this);
    auto it = live_.find(id);
    if (it == live_.end())
        return nullptr;
    std::shared_ptr<Connection> conn = it->second;
    live_.erase(it);
    conn->hungUp = true;
    const DWORD now = GetTickCount();
    if (conn->meter)
        conn->meter->Stop(now);
    if (conn->script.hangUpMs != 0)
        closing_[id] = Closing{conn, now};
    return conn;
}

std::vector<std::shared_ptr<Connection>> Registry::Refresh(const SimConfig& config, bool listing) {
    // Names are converted, and long ones logged, before the lock is taken.
    std::vector<std::pair<const OutsideConnection*, std::string>> lines;
    if (listing) {
        for (const OutsideConnection& line : config.connections) {
            if (std::optional<std::string> ansi = AnsiName(line.name))
                lines.emplace_back(&line, *ansi);
        }
    }
    std::vector<std::string> log;
    std::vector<std::shared_ptr<Connection>> up;
    {
        Guard guard(*this);
        // Read under the lock, so that every meter sees the time go forward.
        const DWORD now = GetTickCount();
        for (auto it = outsideByName_.begin(); it != outsideByName_.end();) {
            if (config.HasConnection(it->first)) {
                ++it;
                continue;
            }
            if (live_.erase(it->second) != 0)
                log.push_back("outside_gone handle=" + HandleText(it->second));
            it = outsideByName_.erase(it);
        }
        for (const auto& [line, ansi] : lines) {
            if (outsideByName_.count(line->name) != 0)
                continue;
            auto conn = std::make_shared<Connection>();
            conn->id = nextId_++;
            conn->nameUtf8 = line->name;
            conn->nameAnsi = ansi;
            conn->outside = true;
            conn->state = RASCS_Connected;
            const auto upForMs = static_cast<std::uint32_t>(std::uint64_t{line->elapsedS} * 1000);
            conn->meter.emplace(now, upForMs, config.CountersStartFor(line->name),
                                config.TrafficFor(line->name));
            live_[conn->id] = conn;
            outsideByName_[line->name] = conn->id;
            log.push_back("outside handle=" + HandleText(conn->id) +
                          " entry=" + QuoteForLog(line->name) + " elapsed=" + Num(line->elapsedS));
        }
        for (const auto& [id, conn] : live_) {
            if (conn->meter)
                conn->meter->Sample(now, config.TrafficFor(conn->nameUtf8));
            if (!conn->outside && conn->Up())
                up.push_back(conn);
        }
        for (const OutsideConnection& line : config.connections) {
            auto name = outsideByName_.find(line.name);
            auto conn = name == outsideByName_.end() ? live_.end() : live_.find(name->second);
            if (conn != live_.end())
                up.push_back(conn->second);
        }
    }
    for (const std::string& line : log)
        LogLine(line);
    return up;
}

Registry& Connections() {
    static Registry* registry = new Registry; // never destroyed: workers may run at process exit
    return *registry;
}

DWORD IdOf(HRASCONN handle) {
    ULONG_PTR value = reinterpret_cast<ULONG_PTR>(handle);
    return value > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(value);
}

} // namespace simras
