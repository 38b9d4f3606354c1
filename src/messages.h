// Every text the user sees, shared by the windows and the command line, exactly as shown
// (including the trailing carriage return where a text has one). Grouped by subject.
#pragma once

namespace lumacite::msg {

// ---- Program ----------------------------------------------------------------------
inline constexpr const char* caption = "注意";
inline constexpr const char* window_caption = "Lumacite V202108";
inline constexpr const char* application_title = "Lumacite V2013";

// ---- Catalogue and program folder (command line and start-up) --------------------
inline constexpr const char* catalogue_cannot_open = "无法打开目录数据库：";
inline constexpr const char* catalogue_not_shipped = "找不到随程序提供的目录数据库：";
inline constexpr const char* program_folder_cannot_create = "无法建立程序文件夹：";

// ---- Main window and job dialog ---------------------------------------------------

// ---- Formats and keyword definitions ----------------------------------------------

// ---- Projects and document list ---------------------------------------------------

// ---- Extraction --------------------------------------------------------------------

// ---- Statistics and matrices ------------------------------------------------------
// Composed texts: question/message prefix + keyword + suffix (the suffix ends with "\r").
inline constexpr const char* stats_ask_prefix = "是否要对“";
inline constexpr const char* stats_ask_suffix = "”进行统计工作？\r";
inline constexpr const char* stats_ask_again_prefix = "已做过“";
inline constexpr const char* stats_ask_again_suffix = "”统计工作，是否重新进行统计？\r";
inline constexpr const char* stats_zero = "无相应关键字的提取信息，统计结果为零！\r";
inline constexpr const char* stats_need_prefix = "请首先进行“";
inline constexpr const char* stats_need_suffix = "”的汇总统计工作！\r";
inline constexpr const char* matrix_ask_prefix = "是否要对“";
inline constexpr const char* matrix_ask_word_document_suffix = "”进行“词篇矩阵”生成？\r";
inline constexpr const char* matrix_ask_cooccurrence_suffix = "”进行“共现矩阵”生成？\r";
inline constexpr const char* word_document_select_title = "词篇矩阵......  整理数据 "; // i \ n
inline constexpr const char* cooccurrence_select_title = "共现矩阵......  整理数据 ";
inline constexpr const char* word_document_cell_title = "词篇矩阵......  "; // c \ max
inline constexpr const char* cooccurrence_cell_title = "共现矩阵......  ";
inline constexpr const char* word_document_placeholder = "临时存储";
inline constexpr const char* matrix_save_title = "命名或选择导出文件：";
inline constexpr const char* matrix_save_filter = "TXT (*.txt)";
inline constexpr const char* file_cannot_write = "无法写入文件：";
// Command line only: the bounds leave out every value (the window then does nothing).
inline constexpr const char* matrix_outside_bounds = "频次阈值范围内没有关键字段，矩阵未生成。";

} // namespace lumacite::msg
