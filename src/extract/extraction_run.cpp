#include "extract/extraction_run.h"

#include "extract/read_ahead.h"
#include "extract/txt_extractor.h"
#include "extract/xml_extractor.h"
#include "messages.h"
#include "projects/projects.h"
#include "text/text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumacite::extract {

// Width of the article number field of the value table, in GB18030 bytes.
constexpr std::size_t article_number_width = 50;

namespace {

// `s` cut to `width` GB18030 bytes (a part of `s`); ASCII text that fits is taken as it
// is. A cut that ends on blanks or control characters drops them: a stored text is trimmed.
std::string_view cut(std::string_view s, std::size_t width) {
    if (s.size() <= width && text::is_ascii(s)) {
        return s;
    }
    std::string_view out = s.substr(0, text::width_prefix(s, width));
    while (!out.empty() && static_cast<unsigned char>(out.back()) <= 0x20) {
        out.remove_suffix(1);
    }
    return out;
}

// Stands for the article number current before a file, in the rows of a file read ahead:
// no text decoded from a file holds these bytes (they are never UTF-8).
constexpr std::string_view number_from_before = "\xFF\xFE\xFF";

// Rows written between two pumps of the front end while a file read ahead is written.
constexpr long long pump_rows = 4096;

// The readers of a run: `threads` (0: one per processor core), no more than its files.
int reader_count(int threads, std::size_t files) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t wanted = threads > 0 ? static_cast<std::size_t>(threads) : cores;
    return static_cast<int>(std::min(wanted, files));
}

} // namespace

RowWriter::RowWriter(ValueTable& table, std::string bianhao, long long xuhao) : table_(table) {
    row_.bianhao = text::truncate_to_width(bianhao, text::project_number_width);
    row_.xuhao = xuhao;
}

void RowWriter::write(std::string_view wenzhangha, std::string_view guanjianzi,
                      std::string_view zhi) {
    // Article numbers and keywords repeat from row to row: cut each once.
    if (rows_ == 0 || wenzhangha != last_wenzhangha_) {
        last_wenzhangha_.assign(wenzhangha);
        row_.wenzhangha.assign(cut(text::trim_view(wenzhangha), article_number_width));
    }
    if (rows_ == 0 || guanjianzi != last_guanjianzi_) {
        last_guanjianzi_.assign(guanjianzi);
        row_.guanjianzi.assign(cut(guanjianzi, text::keyword_width));
    }
    if (zhi.find('\'') == std::string_view::npos) {
        row_.zhi.assign(cut(text::trim_view(zhi), text::value_width));
    } else {
        const std::string substituted = text::trim(text::substitute_apostrophes(zhi));
        row_.zhi.assign(cut(substituted, text::value_width));
    }
    table_.append(row_);
    ++rows_;
    values_ += row_.zhi.empty() ? 0 : 1;
}

bool WorkspaceValueTable::has_document_rows(long long xuhao) {
    return workspace_.has_document_values(xuhao);
}

void WorkspaceValueTable::delete_document_rows(long long xuhao) {
    workspace_.install_values(workspace_.stage_values_without_document(xuhao, false));
}

void WorkspaceValueTable::clear_statistics() {
    workspace_.install_statistics(workspace_.stage_statistics(std::nullopt));
}

void WorkspaceValueTable::append(const ValueRow& row) {
    if (workspace_.append_extracted_value(row.xuhao, row.wenzhangha, row.guanjianzi, row.zhi)) {
        ++appended_blank_;
    }
    ++appended_;
}

void WorkspaceValueTable::delete_empty_values() {
    // The rows appended here that have a blank value are marked already; the rows before
    // them may have been left blank by any earlier change of values.
    const std::uint32_t before = workspace_.value_record_count() - appended_;
    const std::uint64_t blank = workspace_.delete_empty_values(before) + appended_blank_;
    appended_ = 0;
    appended_blank_ = 0;
    if (blank > 0) {
        workspace_.pack_values();
    }
}

void WorkspaceValueTable::flush() {
    workspace_.commit();
}

void WorkspaceValueTable::write_behind() {
    workspace_.zidian().write_behind();
}

bool is_directory_entry(const store::Document& entry) {
    return !text::trim_view(entry.kuozhanming).empty();
}

std::vector<std::filesystem::path> document_files(const store::Document& entry,
                                                  const std::filesystem::path& project_folder) {
    namespace fs = std::filesystem;
    if (!is_directory_entry(entry)) {
        return {project_folder / entry.wenjianming};
    }
    // The whole suffix: an extension may have several parts ("TAR.GZ", "XML.GZ").
    const std::string suffix = "." + text::ascii_lower(entry.kuozhanming);
    const fs::path directory(entry.wenjianming);
    std::vector<fs::path> files;
    for (const auto& name : projects::directory_file_names(directory)) {
        if (name.size() > suffix.size() && text::ascii_lower(name).ends_with(suffix)) {
            files.push_back(directory / name);
        }
    }
    return files;
}

bool is_readable_file(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return regular;
}

std::string extraction_summary(const ExtractionResult& result) {
    return std::string(msg::extract_summary_files) + std::to_string(result.files_read) +
           msg::extract_summary_articles + std::to_string(result.articles) +
           msg::extract_summary_rows + std::to_string(result.values) + msg::extract_summary_end;
}

std::string read_nothing_message(const ExtractionResult& result) {
    return std::string(msg::extract_read_nothing) + extraction_summary(result);
}

DocumentCheck check_document(const store::Document& entry,
                             const std::filesystem::path& project_folder) {
    std::error_code ec;
    if (is_directory_entry(entry)) {
        return std::filesystem::is_directory(std::filesystem::path(entry.wenjianming), ec)
                   ? DocumentCheck::ready
                   : DocumentCheck::no_directory;
    }
    return std::filesystem::is_regular_file(project_folder / entry.wenjianming, ec)
               ? DocumentCheck::ready
               : DocumentCheck::no_file;
}

std::string check_message(DocumentCheck check) {
    switch (check) {
    case DocumentCheck::no_directory:
        return msg::extract_no_directory;
    case DocumentCheck::no_file:
        return msg::extract_no_file;
    case DocumentCheck::ready:
        break;
    }
    return {};
}

ExtractionRequest make_request(const store::Catalogue& catalogue, const store::Project& project,
                               const store::Document& entry,
                               const std::filesystem::path& project_folder, bool replace_existing) {
    ExtractionRequest r;
    r.bianhao = project.bianhao;
    r.document = entry;
    r.project_folder = project_folder;
    r.format = load_extraction_format(catalogue, project.geshi);
    r.replace_existing = replace_existing;
    return r;
}

ExtractionResult run_extraction(const ExtractionRequest& request, ValueTable& table,
                                Progress& progress) {
    ExtractionResult result;
    const long long xuhao = request.document.xuhao;
    const bool extracted_before = table.has_document_rows(xuhao);
    if (extracted_before && !request.replace_existing) {
        result.status = ExtractionResult::Status::declined;
        return result;
    }

    const bool xml = request.format.leixing == "<xml>";
    TxtExtractor txt(request.format);
    if (!xml && !txt.has_definitions()) {
        result.status = ExtractionResult::Status::no_definitions;
        return result;
    }

    // Check the files before anything is deleted: a run that can read none of them
    // leaves the earlier values where they are.
    const std::vector<std::filesystem::path> files =
        document_files(request.document, request.project_folder);
    if (std::none_of(files.begin(), files.end(), is_readable_file)) {
        result.status = ExtractionResult::Status::no_readable_file;
        result.messages.push_back(msg::extract_no_readable_file);
        return result;
    }

    if (extracted_before) {
        // Statistics first: a kill between the two leaves values without counts, never
        // counts of values that are gone.
        table.clear_statistics();
        table.delete_document_rows(xuhao);
    }

    const std::size_t total = files.size();
    // XML files are read one at a time, their articles on every core (a file's check comes
    // before its rows and costs little); tagged-text files by several readers at once.
    const int cores = reader_count(request.threads, SIZE_MAX); // the threads of the run
    const int readers = xml ? 1 : std::min(cores, static_cast<int>(total));
    const XmlExtractor xml_extractor(cores);
    ArticleCounter counter;
    table.write_behind();
    RowWriter writer(table, request.bianhao, xuhao);
    const bool directory = is_directory_entry(request.document);
    // Messages name a registered file by its place in the program folder, a file of a
    // directory entry by its full path.
    const auto shown = [&](std::size_t n) {
        return directory ? files[n].string()
                         : "./" + request.bianhao + "/" + request.document.wenjianming;
    };
    const auto show_file = [&](std::size_t n) {
        progress.set_title(std::string(msg::extract_file_title_prefix) + std::to_string(n + 1) +
                           " / " + std::to_string(total));
        progress.set_maximum(0);
        progress.set_position(0);
    };
    // Counts how file n ended and shows its message; false when the run must stop.
    const auto file_ended = [&](const FileOutcome& outcome) {
        result.articles += outcome.articles;
        if (outcome.kind != FileOutcome::Kind::done) {
            result.messages.push_back(outcome.message);
            if (request.report) {
                request.report(outcome);
            }
        }
        switch (outcome.kind) {
        case FileOutcome::Kind::skipped:
            return true;
        case FileOutcome::Kind::stopped:
            result.status = ExtractionResult::Status::stopped;
            return false;
        case FileOutcome::Kind::done:
            break;
        }
        ++result.files_read;
        return true;
    };

    if (xml) {
        // The next file is read and checked while the articles of this one are read (on
        // another thread when there are more than one).
        std::array<InputFile, 2> inputs;
        const auto policy = cores > 1 ? std::launch::async : std::launch::deferred;
        const auto prepare = [&](std::size_t n) {
            return std::async(policy, [&, n] {
                return xml_extractor.prepare(inputs[n % 2], files[n], shown(n));
            });
        };
        auto next = prepare(0);
        for (std::size_t n = 0; n < total; ++n) {
            show_file(n);
            while (policy == std::launch::async &&
                   next.wait_for(std::chrono::milliseconds(40)) != std::future_status::ready) {
                progress.pump();
            }
            const auto prepared = next.get();
            if (n + 1 < total) {
                next = prepare(n + 1);
            }
            const FileOutcome outcome = xml_extractor.extract_prepared(
                *prepared, inputs[n % 2], files[n], request.format, counter, writer, progress);
            if (!file_ended(outcome)) {
                break;
            }
        }
    } else if (readers <= 1) {
        InputFile input;
        for (std::size_t n = 0; n < total; ++n) {
            show_file(n);
            if (!file_ended(txt.extract_file(input, files[n], writer, progress))) {
                break;
            }
        }
    } else {
        // Each reader takes its files as if each were the first of the run: lines before a
        // file's first record get the number current after the file before when written.
        const auto make_reader = [&]() -> FileReader {
            return [&, reader = txt](std::size_t n, InputFile& input, ReadFile& read,
                                     Progress& gauge) mutable {
                reader.set_article_number(std::string(number_from_before));
                read.outcome = reader.extract_file(input, files[n], read.rows, gauge);
                read.article_number = reader.article_number();
            };
        };
        std::optional<ReadAhead> ahead;
        std::string carried = txt.article_number();
        for (std::size_t n = 0; n < total; ++n) {
            show_file(n);
            if (!ahead) {
                ahead.emplace(total, readers, make_reader);
            }
            const ReadFile& read = ahead->take(n, progress);
            // What is left of a file read ahead is writing its rows: the gauge follows them.
            progress.set_maximum(read.rows.rows());
            long long written = 0;
            read.rows.replay([&](std::string_view wenzhangha, std::string_view guanjianzi,
                                 std::string_view zhi) {
                if (wenzhangha == number_from_before) {
                    wenzhangha = carried;
                }
                writer.write(wenzhangha, guanjianzi, zhi);
                if (++written % pump_rows == 0) {
                    progress.set_position(written);
                    progress.pump();
                }
            });
            progress.set_position(written);
            if (read.article_number != number_from_before) {
                carried = read.article_number;
            }
            const bool go_on = file_ended(read.outcome);
            ahead->release(n);
            if (!go_on) {
                break;
            }
        }
    }
    result.rows_written = writer.rows_written();
    result.values = writer.values_written();
    table.delete_empty_values();
    table.flush();
    return result;
}

} // namespace lumacite::extract
