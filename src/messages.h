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

} // namespace lumacite::msg
