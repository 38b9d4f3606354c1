// The command line's progress bar: one line on a terminal that shows the job's title, a
// bar, the percentage, the rate and the time left, redrawn in place at most ten times a
// second. Without a stream (standard error is not a terminal) it shows nothing.
#pragma once

#include "progress.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace lumacite::cli {

class TerminalProgress final : public Progress {
public:
    // Seconds since any fixed moment; steady.
    using Clock = std::function<double()>;

    // Draws on `out` (nullptr: draws nothing), in lines of `width` columns.
    TerminalProgress(std::ostream* out, int width, Clock clock);
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    // A bar still showing was left by a failure: it is ended as stopped.
    ~TerminalProgress() override;

    void set_title(const std::string& title) override;
    void set_maximum(long long maximum) override;
    void set_position(long long position) override;

    // Ends the bar with a line feed, so that other output starts on a line of its own:
    // drawn as it stands when `completed`, else marked as stopped. Nothing when nothing
    // was drawn; later reports start a new bar.
    void finish(bool completed = true);

    // The line for the current state at `now`, `width` columns at most (no line feed).
    std::string line(double now) const;

private:
    void draw(bool force);
    std::string compose(double now, std::string_view mark) const;

    std::ostream* out_;
    int width_;
    Clock clock_;
    std::string title_;
    long long maximum_ = 0;
    long long position_ = 0;
    double started_ = 0;   // when the current range began
    double drawn_at_ = -1; // when the bar was last drawn
    bool showing_ = false; // a line is on the terminal without its line feed
};

// The steady clock of the system, in seconds.
double steady_seconds();

// Columns of the terminal on file descriptor `fd`; 80 when it does not say.
int terminal_width(int fd);

// Columns a text takes on a terminal: 2 for East Asian wide characters, 1 for others.
int display_width(std::string_view utf8);

} // namespace lumacite::cli
