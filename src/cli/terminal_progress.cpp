// The command line's progress bar.
#include "cli/terminal_progress.h"
#include "messages.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace lumacite::cli {

namespace {

constexpr double redraw_interval = 0.1; // seconds: at most ten redraws a second
constexpr int widest_bar = 30;
constexpr int narrowest_bar = 10;

// The code point starting at `i` and its length in bytes; invalid bytes count alone.
char32_t next_code_point(std::string_view s, std::size_t i, std::size_t& length) {
    const auto b = static_cast<unsigned char>(s[i]);
    length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (i + length > s.size()) {
        length = 1;
        return b;
    }
    if (length == 1) {
        return b;
    }
    char32_t c = b & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    return c;
}

bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The longest prefix of the text that takes at most `columns` columns.
std::string_view fit(std::string_view text, int columns) {
    int used = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t length = 0;
        const int w = wide(next_code_point(text, i, length)) ? 2 : 1;
        if (used + w > columns) {
            break;
        }
        used += w;
        i += length;
    }
    return text.substr(0, i);
}

std::string rate_text(double rate) {
    char buffer[32];
    if (rate >= 1e6) {
        std::snprintf(buffer, sizeof buffer, "%.1fM", rate / 1e6);
    } else if (rate >= 1e4) {
        std::snprintf(buffer, sizeof buffer, "%.1fk", rate / 1e3);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.0f", rate);
    }
    return buffer;
}

std::string duration_text(double seconds) {
    const auto s = static_cast<long long>(std::ceil(seconds));
    char buffer[32];
    if (s >= 3600) {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld", s / 60, s % 60);
    }
    return buffer;
}

} // namespace

int display_width(std::string_view utf8) {
    int columns = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 0;
        columns += wide(next_code_point(utf8, i, length)) ? 2 : 1;
        i += length;
    }
    return columns;
}

double steady_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int terminal_width(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

TerminalProgress::TerminalProgress(std::ostream* out, int width, Clock clock)
    : out_(out), width_(width), clock_(std::move(clock)) {
    if (out_ != nullptr) {
        started_ = clock_();
    }
}

TerminalProgress::~TerminalProgress() {
    try {
        finish(false);
    } catch (...) {
        // A terminal that cannot be written to takes no more lines.
    }
}

void TerminalProgress::set_title(const std::string& title) {
    if (out_ == nullptr) {
        return;
    }
    title_ = title;
    draw(!showing_);
}

void TerminalProgress::set_maximum(long long maximum) {
    if (out_ == nullptr) {
        return;
    }
    maximum_ = maximum;
    position_ = 0;
    started_ = clock_();
    draw(false);
}

void TerminalProgress::set_position(long long position) {
    if (out_ == nullptr) {
        return;
    }
    position_ = position;
    draw(false);
}

void TerminalProgress::finish(bool completed) {
    if (out_ == nullptr || !showing_) {
        return;
    }
    *out_ << '\r' << compose(clock_(), completed ? "" : msg::progress_stopped) << '\n'
          << std::flush;
    showing_ = false;
    drawn_at_ = -1;
}

void TerminalProgress::draw(bool force) {
    const double now = clock_();
    if (!force && showing_ && now - drawn_at_ < redraw_interval) {
        return;
    }
    *out_ << '\r' << compose(now, "") << std::flush;
    showing_ = true;
    drawn_at_ = now;
}

std::string TerminalProgress::line(double now) const {
    return compose(now, "");
}

std::string TerminalProgress::compose(double now, std::string_view mark) const {
    const long long position = std::clamp(position_, 0LL, std::max(maximum_, 0LL));
    const double elapsed = now - started_;
    const double rate = elapsed > 0 && position > 0 ? position / elapsed : 0;
    const int percent = maximum_ > 0 ? static_cast<int>(position * 100 / maximum_) : 0;

    char percent_text[8];
    std::snprintf(percent_text, sizeof percent_text, "%3d%%", percent);
    std::string stats = " ";
    stats += percent_text;
    stats += ' ';
    stats += rate_text(rate);
    stats += msg::progress_per_second;
    stats += ' ';
    stats += msg::progress_time_left;
    stats += rate > 0 && maximum_ > 0 ? duration_text((maximum_ - position) / rate) : "--:--";
    stats += mark;

    // The last column stays empty, so that the terminal never wraps the line.
    const int budget = width_ - 1;
    const int fixed = display_width(stats) + 3; // " [" and "]"
    const int title_width = display_width(title_);
    const int bar = std::clamp(budget - fixed - title_width, narrowest_bar, widest_bar);
    const int filled = maximum_ > 0 ? static_cast<int>(bar * position / maximum_) : 0;

    std::string out(fit(title_, std::max(0, budget - fixed - bar)));
    out += " [";
    out.append(static_cast<std::size_t>(filled), '#');
    out.append(static_cast<std::size_t>(bar - filled), '.');
    out += ']';
    out += stats;
    std::string shown(fit(out, budget));
    // Blanks up to the budget wipe what a longer earlier line left behind.
    shown.append(static_cast<std::size_t>(std::max(0, budget - display_width(shown))), ' ');
    return shown;
}

} // namespace lumacite::cli
