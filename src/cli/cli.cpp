#include "cli/cli.h"

#include "analysis/jobs.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace lumacite::cli {

std::optional<std::string> Args::option(const std::string& name) {
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size()) {
                throw UsageError(name + " needs a value");
            }
            std::string v = args_[i + 1];
            args_.erase(args_.begin() + static_cast<long>(i),
                        args_.begin() + static_cast<long>(i) + 2);
            return v;
        }
        if (args_[i].starts_with(name + "=")) {
            std::string v = args_[i].substr(name.size() + 1);
            args_.erase(args_.begin() + static_cast<long>(i));
            return v;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> Args::option_values(const std::string& name,
                                                            std::size_t n) {
    const auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) {
        return std::nullopt;
    }
    if (static_cast<std::size_t>(args_.end() - it) <= n) {
        throw UsageError(name + " needs " + std::to_string(n) + " values");
    }
    std::vector<std::string> values(it + 1, it + 1 + static_cast<long>(n));
    args_.erase(it, it + 1 + static_cast<long>(n));
    return values;
}

bool Args::flag(const std::string& name) {
    auto it = std::find(args_.begin(), args_.end(), name);
    if (it == args_.end()) {
        return false;
    }
    args_.erase(it);
    return true;
}

std::string Args::positional(const std::string& what) {
    for (std::size_t i = 0; i < args_.size(); ++i) {
        if (args_[i] == "--") {
            if (i + 1 < args_.size()) {
                std::string v = args_[i + 1];
                args_.erase(args_.begin() + static_cast<long>(i) + 1);
                return v;
            }
            break;
        }
        if (args_[i].size() > 1 && args_[i][0] == '-' && args_[i][1] == '-') {
            continue;
        }
        std::string v = args_[i];
        args_.erase(args_.begin() + static_cast<long>(i));
        return v;
    }
    throw UsageError("missing " + what);
}

void Args::finish() const {
    std::vector<std::string> left;
    for (const auto& a : args_) {
        if (a != "--") {
            left.push_back(a);
        }
    }
    if (!left.empty()) {
        throw UsageError("unexpected argument: " + left.front());
    }
}

store::Catalogue& Context::catalogue() {
    if (!catalogue_) {
        try {
            catalogue_.emplace(store::Catalogue::open(home / store::catalogue_file_name));
        } catch (const store::CatalogueError& e) {
            throw Failure(std::string(msg::catalogue_cannot_open) + e.what());
        }
    }
    return *catalogue_;
}

BoundProject bind_project_with_type(Context& ctx, const std::string& number, bool read_only,
                                    const char* no_type_refusal) {
    const auto project = ctx.catalogue().find_project(number);
    if (!project || text::trim(number).empty()) {
        throw Refusal(msg::choose_project_first);
    }
    const std::string type = ctx.catalogue().format_type(project->geshi);
    if (no_type_refusal != nullptr && text::trim_view(type).empty()) {
        throw Refusal(no_type_refusal); // before any table is opened
    }
    try {
        return {read_only ? projects::open_for_reading(ctx.catalogue(), ctx.home, number)
                          : projects::open_for_writing(ctx.catalogue(), ctx.home, number),
                type};
    } catch (const store::LockBusy&) {
        throw; // another program writes the project: a refusal
    } catch (const std::exception& e) {
        throw Failure(e.what());
    }
}

void as_failures(const std::function<void()>& work) {
    try {
        work();
    } catch (const store::WorkspaceError& e) {
        throw Failure(e.what());
    } catch (const store::DbaseError& e) {
        throw Failure(e.what());
    } catch (const std::runtime_error& e) {
        if (dynamic_cast<const Refusal*>(&e) || dynamic_cast<const UsageError*>(&e) ||
            dynamic_cast<const Failure*>(&e)) {
            throw;
        }
        throw Failure(e.what());
    }
}

long long bound_value(const std::optional<std::string>& text, const char* name,
                      long long fallback) {
    if (!text) {
        return fallback;
    }
    if (text->empty() || text->size() > 18 ||
        text->find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError(std::string(name) + " needs a whole number, not \"" + *text + "\"");
    }
    return analysis::parse_bound(*text);
}

CountRange count_range(store::Workspace& workspace, const std::string& keyword,
                       const std::optional<std::string>& lower_text,
                       const std::optional<std::string>& upper_text) {
    CountRange range;
    range.ranked = analysis::ranked_values(workspace, keyword);
    if (range.ranked.empty()) {
        throw Refusal(analysis::statistics_needed_message(keyword));
    }
    range.lower = bound_value(lower_text, "--min", range.ranked.back().cishu);
    range.upper = bound_value(upper_text, "--max", range.ranked.front().cishu);
    return range;
}

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

std::string escape_cell(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    for (const char c : cell) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (b < 0x20 || b == 0x7F) {
                static constexpr char hex[] = "0123456789ABCDEF";
                out += "\\x";
                out += hex[b >> 4];
                out += hex[b & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string shown_text(std::string_view message) {
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n')) {
        message.remove_suffix(1);
    }
    return std::string(message);
}

store::Project numbered_project(Context& ctx, const std::string& number) {
    const auto p = ctx.catalogue().find_project(number);
    if (!p || text::trim_view(number).empty()) {
        throw Refusal(std::string(msg::no_such_project) + number);
    }
    return *p;
}

long long document_number(const std::string& text) {
    long long v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1) {
        throw UsageError("XUHAO must be a document number: " + text);
    }
    return v;
}

store::Document document_entry(Context& ctx, const std::string& number, long long xuhao) {
    const auto d = ctx.catalogue().find_document(number, xuhao);
    if (!d) {
        throw Refusal(std::string(msg::no_such_document) + std::to_string(xuhao));
    }
    return *d;
}

void write_tsv(std::ostream& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i != 0) {
            out << '\t';
        }
        out << escape_cell(cells[i]);
    }
    out << '\n';
}

} // namespace lumacite::cli
