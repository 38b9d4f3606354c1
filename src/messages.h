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
// Validation in the format and keyword dialogs (error icon; the dialog stays open).
inline constexpr const char* format_name_empty = "格式名称不应为空！\r";
inline constexpr const char* format_name_duplicate = "格式名称重复！\r";
inline constexpr const char* keyword_name_empty = "关键字名称不应为空！\r";
// Refusals of the format buttons (information icon).
inline constexpr const char* format_in_use_no_modify = "已存在此格式类型的项目，不能在此做修改操作！";
inline constexpr const char* format_in_use_no_delete = "已存在此格式类型的项目，不能在此直接删除！";
inline constexpr const char* format_builtin_no_delete = "此格式类型为系统默认支持内容，不能删除！";
// Questions: before + format entry + after (format); before + entry + middle + keyword + after.
inline constexpr const char* delete_format_before = "是否确认删除当前所选择的格式类型“";
inline constexpr const char* delete_format_after = "”吗？\r";
inline constexpr const char* delete_definition_middle = "”中的关键字“";
inline constexpr const char* delete_definition_after = "”吗？\r";
// Refusals the window never needs (it disables the field or ignores the button); the
// command line reports them.
inline constexpr const char* format_builtin_no_rename = "此格式类型为系统默认支持内容，不能修改名称！";
inline constexpr const char* keyword_reserved_no_rename = "此关键字名称为系统约定内容，不能修改！";
inline constexpr const char* definition_reserved_no_delete = "此关键字定义为系统约定内容，不能删除！";
inline constexpr const char* format_not_found = "不存在此格式类型："; // + name
inline constexpr const char* definition_not_found = "此格式类型中不存在此关键字定义："; // + id
// The format dialog.
inline constexpr const char* format_dialog_add = "增加·格式类型";
inline constexpr const char* format_dialog_modify = "修改·格式类型";
inline constexpr const char* format_name_label = "格式名称：";
inline constexpr const char* format_full_name_label = "格式全称：";
inline constexpr const char* format_type_label = "格式类型";
inline constexpr const char* dialog_ok = "确定";
inline constexpr const char* dialog_cancel = "取消";
// The keyword dialog: "增加 " or "修改 " before the caption "关键字".
inline constexpr const char* keyword_dialog_caption = "关键字";
inline constexpr const char* keyword_dialog_add_prefix = "增加 ";
inline constexpr const char* keyword_dialog_modify_prefix = "修改 ";
inline constexpr const char* keyword_label = "关键字：";
inline constexpr const char* node_labels[6] = {"节点1：", "节点2：", "节点3：",
                                               "节点4：", "节点5：", "节点6："};
// Nodes 4 to 6 of an XML subject-heading definition.
inline constexpr const char* subject_heading_node_labels[3] = {"主题词节点：", "副主题词节点：",
                                                               "主/次属性："};
inline constexpr const char* method_group_caption = " 取值方法描述 ";
inline constexpr const char* method_captions[5] = {
    "多值，分隔符", "多值，无分隔符，一行一值", "单值，单行", "单值，多行组合",
    "多值，多词组合，针对新PubMed—MH约定（每词/分隔，分主副主题词）"};
// The administrator page.
inline constexpr const char* format_chooser_label = "·格式定义：";
inline constexpr const char* admin_add = "增加";
inline constexpr const char* admin_delete = "删除";
inline constexpr const char* admin_modify = "修改";
inline constexpr const char* definition_grid_keyword = "关键字定义";
inline constexpr const char* definition_grid_nodes[6] = {"节点1", "节点2", "节点3",
                                                         "节点4", "节点5", "节点6"};

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
