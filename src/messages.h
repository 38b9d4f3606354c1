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

// ---- One writer per project, lasting data ------------------------------------------
// Another program (a window or the command line) writes the project or changes the
// catalogue; nothing was changed.
inline constexpr const char* project_in_use = "项目正被另一个程序使用，请待其完成后再试！\r";
inline constexpr const char* catalogue_in_use = "目录数据库正被另一个程序修改，请稍后再试！\r";
// A new catalogue was made in a program folder that holds project folders already:
// prefix + folder names joined by "、" + suffix.
inline constexpr const char* catalogue_new_with_folders =
    "目录数据库不存在，已新建目录数据库。程序文件夹中的以下项目文件夹未在其中登记：";
inline constexpr const char* catalogue_new_with_folders_tail =
    "\r如需继续使用其中的数据，请在新增项目时使用相同的编号。\r";
inline constexpr const char* folder_name_separator = "、";

// ---- Main window and job dialog ---------------------------------------------------
inline constexpr const char* page_captions[5] = {"管理员", "项目", "提取", "统计", "矩阵"};
inline constexpr const char* admin_subpage_caption = "文献文档格式说明";
inline constexpr const char* exit_button = "退出系统";
inline constexpr const char* create_project_first = "请首先建立工作项目！\r";
inline constexpr const char* choose_project_first = "请首先准确建立或选择工作项目！\r";
inline constexpr const char* job_dialog_caption = "正在进行工作，请等待... ...";
inline constexpr const char* job_extract = "提取";
inline constexpr const char* job_statistics = "统计";
inline constexpr const char* job_word_document = "词篇矩阵";
inline constexpr const char* job_cooccurrence = "共现矩阵";
inline constexpr const char* job_caller_driven = "不关闭";
inline constexpr const char* job_title_extract = "提取关键字段......";
inline constexpr const char* job_title_statistics = "汇总统计计算...... "; // + keyword
inline constexpr const char* job_title_word_document = "词篇矩阵......";
inline constexpr const char* job_title_cooccurrence = "共现矩阵......";
// The command line's progress bar on a terminal: rate per second, time left, and the
// mark of a bar that stopped before its end (failure or interruption).
inline constexpr const char* progress_per_second = "/秒";
inline constexpr const char* progress_time_left = "剩余 ";
inline constexpr const char* progress_stopped = " 未完成";
inline constexpr const char* no_directory_path = "无相应的目录路径！\r";
inline constexpr const char* no_document_file = "无相应的文档文件！\r";
inline constexpr const char* viewer_cannot_read = "无法读取文件：";
inline constexpr const char* workbook_cannot_open = "无法打开工作簿：";

// ---- Formats and keyword definitions ----------------------------------------------
// Validation in the format and keyword dialogs (error icon; the dialog stays open).
inline constexpr const char* format_name_empty = "格式名称不应为空！\r";
inline constexpr const char* format_name_duplicate = "格式名称重复！\r";
inline constexpr const char* keyword_name_empty = "关键字名称不应为空！\r";
// The format lists take an entry apart at "·": a name or full name holding one is refused.
inline constexpr const char* format_name_middle_dot = "格式名称或格式全称不应包含“·”！\r";
// Refusals of the format buttons (information icon).
inline constexpr const char* format_in_use_no_modify =
    "已存在此格式类型的项目，不能在此做修改操作！";
inline constexpr const char* format_in_use_no_delete = "已存在此格式类型的项目，不能在此直接删除！";
inline constexpr const char* format_builtin_no_delete = "此格式类型为系统默认支持内容，不能删除！";
// Questions: before + format entry + after (format); before + entry + middle + keyword + after.
inline constexpr const char* delete_format_before = "是否确认删除当前所选择的格式类型“";
inline constexpr const char* delete_format_after = "”吗？\r";
inline constexpr const char* delete_definition_middle = "”中的关键字“";
inline constexpr const char* delete_definition_after = "”吗？\r";
// Refusals the window never needs (it disables the field or ignores the button); the
// command line reports them.
inline constexpr const char* format_builtin_no_rename =
    "此格式类型为系统默认支持内容，不能修改名称！";
inline constexpr const char* keyword_reserved_no_rename = "此关键字名称为系统约定内容，不能修改！";
inline constexpr const char* definition_reserved_no_delete =
    "此关键字定义为系统约定内容，不能删除！";
inline constexpr const char* format_not_found = "不存在此格式类型：";                   // + name
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
// Project number (leaving the number box), in the order they are checked.
inline constexpr const char* number_empty = "编号不应为空！\r";
inline constexpr const char* number_contains_space = "编号不应包含空格！\r";
inline constexpr const char* number_invalid_character = "编号只能采用数字和字母命名！\r";
inline constexpr const char* number_duplicate = "编号重复！\r";
// Checked after the three above: the folder and table names of the number would be longer
// than the file system allows.
inline constexpr const char* number_too_long = "编号过长，无法用作项目文件夹和数据表的文件名！\r";
// A new number names a folder that holds tables of earlier work: part 1 + number + part 2.
inline constexpr const char* adopt_folder_question_1 = "程序文件夹中已有“";
inline constexpr const char* adopt_folder_question_2 =
    "”文件夹，其中存有以前的提取或统计数据表。\r是否在此项目中沿用这些数据？\r";
// Deleting a project: part 1 + number + part 2 + project folder + part 3.
inline constexpr const char* delete_project_question_1 = "确认删除当前所选择的“";
inline constexpr const char* delete_project_question_2 =
    "”项目吗？\r\r项目所包含的所有提取、统计数据都将被删除。\r包括项目文件夹“";
inline constexpr const char* delete_project_question_3 = "”也将一并删除！\r且不可恢复回收！\r";
// Folder removal failed: prefix + path + "：" + the system's error text.
inline constexpr const char* folder_removal_failed = "无法删除项目文件夹中的：";
// Choose file.
inline constexpr const char* choose_document_title = "选择文献文档文件：";
inline constexpr const char* choose_document_filter =
    "TXT(*.txt)|*.txt|XML(*.xml)|*.xml|所有文件|*.*";
// Part 1 + the chosen file's full path + part 2.
inline constexpr const char* confirm_document_question_1 = "是否确认所选文件（";
inline constexpr const char* confirm_document_question_2 = "）？\r";
inline constexpr const char* same_name_question = "已存在同名文件，是否覆盖？\r";
inline constexpr const char* clear_results_question =
    "已针对此同名文件做过关键字提取，是否清除原来的提取结果？\r";
// A chosen file would take the name of one of the project's tables: prefix + name.
inline constexpr const char* document_name_reserved =
    "项目数据表使用此文件名，请将文件改名后再选择：";
// The copy into the project folder failed: prefix + path + "：" + the system's error text.
inline constexpr const char* document_copy_failed = "无法复制文件：";
// Choose directory: the dialog TForm_xuanzemulu.
inline constexpr const char* directory_dialog_caption = "选择目录";
inline constexpr const char* directory_path_label = "1.如果选择的是某个目录，请选择具体路径：";
inline constexpr const char* directory_extension_label = "2.请指定目录中的文件扩展名：";
inline constexpr const char* directory_confirm = "确认";
inline constexpr const char* directory_cancel = "取消";
inline constexpr const char* directory_no_extension = "请选择指定目录中的文件扩展名！\r";
inline constexpr const char* directory_invalid = "请选择有效的目录路径！\r";
inline constexpr const char* directory_duplicate = "已选择了相同的目录路径以及文件扩展名！\r";
// Remove document: part 1 + wenjianming + part 2 (no carriage return at the end).
inline constexpr const char* remove_document_question_1 = "确认移除当前所选择的文档文件“";
inline constexpr const char* remove_document_question_2 =
    "”吗？\r\r注意：如果移除，相应的提取数据也将一并被移除！";
// Command line: a project or document entry named on the command line is missing (a
// missing format is format_not_found).
inline constexpr const char* no_such_project = "没有这个项目：";
inline constexpr const char* no_such_document = "没有这个文档：";

// ---- Extraction --------------------------------------------------------------------
// The Extract command and the extraction run.
// Title of each file: prefix + n + " / " + N.
inline constexpr const char* extract_file_title_prefix = "提取关键字段...... ";
inline constexpr const char* extract_again_question =
    "已进行过相应的关键字提取工作，是否确认要重新进行？\r";
inline constexpr const char* extract_no_directory = "无相应的目录路径！\r";
inline constexpr const char* extract_no_file = "无相应的文档文件！\r";
// Command line: the project's format has no keyword definitions (no format type).
inline constexpr const char* extract_no_format_type = "项目的格式没有关键字定义，无法提取！\r";
// An input file gone or locked during the run: "“" + path + tail.
inline constexpr const char* extract_file_unreadable = "“";
inline constexpr const char* extract_file_unreadable_tail = "”文件无法读取，提取已中止！\r";
// A gzip-compressed file whose data is damaged or cut short: "“" + path + tail.
inline constexpr const char* extract_gzip_corrupt_tail =
    "”文件的压缩数据已损坏，无法解压，提取已中止！\r";
// None of the entry's files can be read (all gone or unreadable): nothing was changed,
// the values of an earlier extraction stay.
inline constexpr const char* extract_no_readable_file =
    "没有可读取的文档文件，原有的提取结果未作改动！\r";
// A run that found no article in any file: this text, then the run's summary.
inline constexpr const char* extract_read_nothing = "未从文档中读取到任何文章！\r";
// The summary of a run: files + n + articles + m + rows + r + end.
inline constexpr const char* extract_summary_files = "读取文件 ";
inline constexpr const char* extract_summary_articles = " 个，文章 ";
inline constexpr const char* extract_summary_rows = " 篇，写入 ";
inline constexpr const char* extract_summary_end = " 行。\r";
// XML files: "“" + shown path + "”文件非<xml>格式，无法读取！\r"
inline constexpr const char* xml_not_xml_before = "“";
inline constexpr const char* xml_not_xml_after = "”文件非<xml>格式，无法读取！\r";
// A definition the XML walker cannot apply: "关键字“" + keyword + after-text.
inline constexpr const char* xml_keyword_before = "关键字“";
inline constexpr const char* xml_element_content_after =
    "”的节点路径止于只含子元素的节点，无法取得文本，提取已中止！\r";
inline constexpr const char* xml_substring_numbers_after =
    "”的截取位置或长度不是整数，提取已中止！\r";

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
// Command line only: the project's format has no keyword definitions (no format type);
// the window's job then does nothing.
inline constexpr const char* stats_no_format_type = "项目的格式没有关键字定义，无法统计！\r";
inline constexpr const char* matrix_no_format_type = "项目的格式没有关键字定义，无法生成矩阵！\r";
// Command line only: the bounds leave out every value (the window then does nothing).
inline constexpr const char* matrix_outside_bounds = "频次阈值范围内没有关键字段，矩阵未生成。";

// ---- Networks ----------------------------------------------------------------------
inline constexpr const char* network_tab = "网络图"; // tab caption and job kind
inline constexpr const char* job_title_network = "网络图......";
inline constexpr const char* network_step_title = "网络图......  "; // step \ 3
inline constexpr const char* network_ask_suffix =
    "”进行“网络图”生成？\r"; // after matrix_ask_prefix + k
// Similarity measures, in the order of network::all_measures.
inline constexpr const char* measure_captions[6] = {"原始共现", "关联强度", "余弦",
                                                    "Jaccard",  "包含",     "等价"};
inline constexpr const char* network_measure_label = "·相似度：";
inline constexpr const char* network_min_weight_name = "最小权重"; // label: name + "："
inline constexpr const char* network_resolution_name = "分辨率";
inline constexpr const char* network_drop_isolated = "去除孤立点";
inline constexpr const char* network_generate = "生成网络图";
inline constexpr const char* network_save = "保存";
// The save menu: the picture and the network files.
inline constexpr const char* network_save_items[6] = {"图片（PNG）",    "图片（SVG）",
                                                      "Pajek 网络文件", "VOSviewer 地图与网络文件",
                                                      "GraphML 文件",   "CSV 节点与连线文件"};
inline constexpr const char* network_save_filters[6] = {"PNG (*.png)",         "SVG (*.svg)",
                                                        "Pajek (*.net)",       "VOSviewer (*.txt)",
                                                        "GraphML (*.graphml)", "CSV (*.csv)"};
inline constexpr const char* network_save_title = "命名或选择保存文件：";
inline constexpr const char* network_none = "请首先生成网络图！\r";
inline constexpr const char* network_bad_number = "请输入有效的数值："; // + field name
inline constexpr const char* network_picture_failed = "无法保存图片："; // + path
// Hovering a node: value, count, cluster, total link strength, one a line.
inline constexpr const char* network_hover_value = "值：";
inline constexpr const char* network_hover_count = "频次：";
inline constexpr const char* network_hover_cluster = "聚类：";
inline constexpr const char* network_hover_strength = "连接强度：";
// Legend line: prefix + id + "（" + size + "）" + top values joined by "、".
inline constexpr const char* network_legend_cluster = "聚类 ";
// Double-click on a node: prefix + value + suffix.
inline constexpr const char* network_report_prefix = "是否要导出“";
inline constexpr const char* network_report_suffix = "”的文献信息？\r";
// Command line only.
inline constexpr const char* network_no_format_type =
    "项目的格式没有关键字定义，无法生成网络图！\r";
inline constexpr const char* network_outside_bounds = "频次阈值范围内没有关键字段，网络图未生成。";
inline constexpr const char* network_igraph_failed = "网络计算失败：";
// ---- Exports ----------------------------------------------------------------------------
// Statistics workbook (OK/Cancel question) and its column titles, as in the statistics grid.
inline constexpr const char* stats_export_question = "确认要导出Excel文档吗？\r";
// The title of the job dialog while the statistics workbook is written.
inline constexpr const char* stats_export_title = "导出统计结果至Excel格式文件......";
inline constexpr const char* statistics_titles[5] = {"序号", "关键字段", "出现频次", "百分比％",
                                                     "累计百分比％"};
// Value export: "当前关键字“" + keyword + one of the suffixes; the text file is
// "关键字“" + keyword + "”值.txt" in the program folder.
inline constexpr const char* value_export_title_prefix = "当前关键字“";
inline constexpr const char* value_export_text_suffix = "”值全部导出至TXT文本文件......";
inline constexpr const char* value_export_workbook_suffix = "”值全部导出至Excel格式文件......";
inline constexpr const char* value_file_prefix = "关键字“";
inline constexpr const char* value_file_suffix = "”值.txt";
inline constexpr const char* value_headings[4] = {"序号", "文章号", "关键字段", "值"};
// "关键字“" + keyword + suffix: a keyword that cannot stand in a file name.
inline constexpr const char* value_file_name_refused_suffix =
    "”不能用作文件名，无法建立文本文件！\r";
// Article information report: the job dialog titles by entry point.
inline constexpr const char* report_title_row_text = "导出文献信息至txt文本文件......";
inline constexpr const char* report_title_row_workbook = "导出文献信息至Excel格式文件......";
inline constexpr const char* report_title_cell_text = "导出共现文献信息至txt文本文件......";
inline constexpr const char* report_title_cell_workbook = "导出共现文献信息至Excel格式文件......";
inline constexpr const char* report_title_basket_text = "导出共现文献信息至txt文本文件......";
inline constexpr const char* report_title_basket_workbook = "导出文献信息至excel格式文件......";
// "是否要导出“第" + r + "行" + vr + "”、“第" + c + "列" + vc + "”" + x + "篇共现文献的信息吗？\r"
inline constexpr const char* report_cell_question_1 = "是否要导出“第";
inline constexpr const char* report_cell_question_row = "行";
inline constexpr const char* report_cell_question_2 = "”、“第";
inline constexpr const char* report_cell_question_column = "列";
inline constexpr const char* report_cell_question_3 = "”";
inline constexpr const char* report_cell_question_4 = "篇共现文献的信息吗？\r";
inline constexpr const char* report_basket_empty =
    "请选择（利用鼠标双击或键盘录入）要导出的文章号！";
// Text report line: "序号：" + s + "  文章号：" + article, then "  " + keyword + "：" + value.
inline constexpr const char* report_line_number = "序号：";
inline constexpr const char* report_line_article = "  文章号：";
inline constexpr const char* report_line_separator = "  ";
inline constexpr const char* report_line_colon = "：";
inline constexpr const char* report_text_file = "temp.txt";
inline constexpr const char* report_headings_first[2] = {"序号", "文章号"};
inline constexpr const char* report_heading_query = "查询信息组合";
// The journal workbook of the user cannot be read: prefix + path + "：" + cause.
inline constexpr const char* journal_workbook_cannot_read = "无法读取期刊缩写表：";
// Names of the shown workbooks in exports/: kind + "_" + parts + "_" + time.
inline constexpr const char* export_kind_statistics = "统计";
inline constexpr const char* export_kind_values = "值";
inline constexpr const char* export_kind_articles = "文献";
inline constexpr const char* export_kind_cooccurring = "共现文献";
inline constexpr const char* export_kind_basket = "文章号";

// ---- Values browser, value editing and removal ----------------------------------------
inline constexpr const char* sort_mark_ascending = "▲ ";
inline constexpr const char* sort_mark_descending = "▼ ";
inline constexpr const char* values_grid_article = "文章号";
inline constexpr const char* values_grid_value = "值";
// Refusals of the value dialog (error icon; the dialog stays open).
inline constexpr const char* value_has_quote = "修改内容中不能包含“半角单引号”！";
inline constexpr const char* marks_both_needed = "起、止两项都必须有值！";
inline constexpr const char* find_text_needed = "“被替换”项都必须有值！";
inline constexpr const char* range_both_positive = "起、止两项都必须有值，且大于零！";
inline constexpr const char* range_end_before_start = "“止值”不应小于“起值”！";
// The value dialog TForm_guanjianzi_xiugai.
inline constexpr const char* value_dialog_caption = "修改关键字段值";
inline constexpr const char* value_keyword_label = "关键字段："; // + keyword (both dialogs)
// Operation rows: the parts around their fields; rows 3 to 6 end with the batch tail.
inline constexpr const char* op_batch_tail = "。（批量修改）";
inline constexpr const char* op_set_value = "同值修改：";
inline constexpr const char* op_set_batch = "批量修改";
inline constexpr const char* op_replace_1 = "将“值”中";
inline constexpr const char* op_replace_2 = "替换为";
inline constexpr const char* op_case_1 = "将“值”中字母转换为";
inline constexpr const char* op_case_upper = "大写";
inline constexpr const char* op_case_lower = "小写";
inline constexpr const char* op_strip_1 = "剔除值中的全部";
inline constexpr const char* op_strip_letters = "字母";
inline constexpr const char* op_strip_digits = "数字";
inline constexpr const char* op_keep_1 = "只保留“值”中从第";
inline constexpr const char* op_keep_2 = "个字符起，至第";
inline constexpr const char* op_keep_3 = "个字符止之间的字符";
inline constexpr const char* op_cut_1 = "将“值”中从";
inline constexpr const char* op_cut_2 = "字符起，至";
inline constexpr const char* op_cut_3 = "字符止之间的所有字符剔除";
inline constexpr const char* value_dialog_note =
    "注意：以上操作一旦“确定”执行，将不可逆转，不可恢复，可慎重选择！";
// The removal dialog TForm_guanjianzi_shanchu.
inline constexpr const char* removal_dialog_caption = "删除关键字段值";
inline constexpr const char* removal_value = "关键字段值："; // + value
inline constexpr const char* removal_scope_label = "删除数据范围：";
inline constexpr const char* removal_scope_one = "仅当前一个值";
inline constexpr const char* removal_scope_same = "全部相同的值";
inline constexpr const char* removal_scope_below = "当前行以下（包括本行）全部值";
// Command line: the row named by --article and the old value or --value is not among the
// rows the values grid lists: prefix + article + " " + value.
inline constexpr const char* no_such_value_row = "值列表中没有这一行：";
// Command line: removal without --yes stops with question 1 + value + 2 + scope + 3.
inline constexpr const char* remove_question_1 = "确认删除关键字段值“";
inline constexpr const char* remove_question_2 = "”（";
inline constexpr const char* remove_question_3 = "）吗？";

// ---- Thesaurus files and similar values ---------------------------------------------------
inline constexpr const char* thesaurus_button = "词表清洗";
inline constexpr const char* similar_button = "相似值";
// A thesaurus file's faults: the heading, then one line each: prefix + line + infix + fault.
inline constexpr const char* thesaurus_faults =
    "词表文件有误，未做任何修改。请改正以下各行后再试：";
inline constexpr const char* thesaurus_fault_line_1 = "第";
inline constexpr const char* thesaurus_fault_line_2 = "行：";
inline constexpr const char* thesaurus_empty_file = "文件为空，缺少表头“label<制表符>replace by”";
inline constexpr const char* thesaurus_bad_header =
    "表头应为“label”和“replace by”两列，以制表符分隔";
inline constexpr const char* thesaurus_no_tab =
    "缺少制表符：每行应为“label”和“replace by”两列，以制表符分隔";
inline constexpr const char* thesaurus_extra_column = "多于两列：一行只能有一个制表符";
inline constexpr const char* thesaurus_empty_label = "“label”一列为空";
// prefix + earlier line + suffix
inline constexpr const char* thesaurus_conflict_1 = "与第";
inline constexpr const char* thesaurus_conflict_2 = "行的“label”相同，“replace by”却不同";
inline constexpr const char* thesaurus_no_entries = "词表中没有任何条目";
inline constexpr const char* thesaurus_cannot_read = "无法读取词表文件：";  // + file
inline constexpr const char* thesaurus_cannot_write = "无法写入词表文件："; // + file
// The confirmation before a thesaurus changes a keyword's values: 1 + changed + 2 + removed
// + 3.
inline constexpr const char* thesaurus_question_1 = "将按词表修改关键字段值";
inline constexpr const char* thesaurus_question_2 = "行，删除";
inline constexpr const char* thesaurus_question_3 =
    "行。此操作一旦执行，将不可逆转，不可恢复！是否继续？";
inline constexpr const char* thesaurus_nothing =
    "词表中的“label”在当前关键字段中没有匹配的值，无需修改！";
// The thesaurus dialog.
inline constexpr const char* thesaurus_dialog_caption = "词表清洗";
// Both cleaning dialogs: the change cannot be undone.
inline constexpr const char* cleaning_note =
    "注意：以上修改一旦执行，将不可逆转，不可恢复，可慎重选择！";
inline constexpr const char* thesaurus_choose_file = "选择词表...";
inline constexpr const char* thesaurus_file_filter = "词表文件 (*.txt *.tsv);;所有文件 (*)";
inline constexpr const char* thesaurus_fold = "不区分英文字母大小写及首尾空格";
inline constexpr const char* thesaurus_scope_all = "全部文档";
inline constexpr const char* thesaurus_scope_document = "仅当前文档";
inline constexpr const char* thesaurus_preview_button = "预览";
inline constexpr const char* thesaurus_apply_button = "执行";
inline constexpr const char* thesaurus_preview_headings[4] = {"原值", "新值", "行数", "词表行"};
inline constexpr const char* thesaurus_removed = "（删除）";
inline constexpr const char* thesaurus_summary_1 = "共修改"; // + changed + 2 + removed + 3
inline constexpr const char* thesaurus_summary_2 = "行，删除";
inline constexpr const char* thesaurus_summary_3 = "行。";
inline constexpr const char* thesaurus_progress = "按词表修改关键字段值......";
inline constexpr const char* thesaurus_preview_progress = "预览词表修改......";
// The similar-values dialog.
inline constexpr const char* similar_dialog_caption = "相似值";
inline constexpr const char* similar_authors = "按姓名缩写归组（作者）";
inline constexpr const char* similar_headings[4] = {"组 / 值", "次数", "相似", "合并为"};
inline constexpr const char* similar_same = "写法相同";
inline constexpr const char* similar_initials = "缩写相容";
inline constexpr const char* similar_apply_button = "合并所选";
inline constexpr const char* similar_save_button = "另存为词表...";
inline constexpr const char* similar_count_suffix = " 组"; // after the number of groups
inline constexpr const char* similar_none = "当前关键字段中没有相似的值。";
inline constexpr const char* similar_nothing_ticked = "请勾选要合并的组及其中的值！";
inline constexpr const char* similar_progress = "查找相似值......";

} // namespace lumacite::msg
