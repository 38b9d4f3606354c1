// Progress reporting of long work (extraction, statistics, matrices, exports).
// The job dialog and the command line implement it; the core only calls it.
#pragma once

#include <string>

namespace lumacite {

class Progress {
public:
    virtual ~Progress() = default;
    // The title line shown above the gauge ("提取关键字段...... 1 / 3").
    virtual void set_title(const std::string& title) = 0;
    // Gauge range 0 .. maximum; resets the position to 0.
    virtual void set_maximum(long long maximum) = 0;
    virtual void set_position(long long position) = 0;
    // Lets the front end keep its window painted; called after each step of a long loop.
    virtual void pump() {}
};

// Progress that shows nothing (tests, and work too short to report).
class NullProgress final : public Progress {
public:
    void set_title(const std::string&) override {}
    void set_maximum(long long) override {}
    void set_position(long long) override {}
};

} // namespace lumacite
