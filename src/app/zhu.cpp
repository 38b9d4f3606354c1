#include "app/zhu.h"

#include "app/enter_as_tab.h"
#include "app/zhu0.h"
#include "formats/format_entry.h"
#include "messages.h"
#include "text/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QVBoxLayout>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QToolButton* make_button(QWidget* parent, const char* name, const char* caption,
                         const QColor& colour = QColor()) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(qs(caption));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumSize(64, 24);
    if (colour.isValid()) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, colour);
        b->setPalette(p);
    }
    return b;
}

QLabel* make_label(QWidget* parent, const char* caption, const char* name = nullptr) {
    auto* l = new QLabel(qs(caption), parent);
    if (name != nullptr) {
        l->setObjectName(QString::fromLatin1(name));
    }
    return l;
}

QComboBox* make_list(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setEditable(false);
    c->setMaxVisibleItems(20);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(16);
    return c;
}

// A read-only grid with whole-row selection over a model.
QTableView* make_grid(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* g = new QTableView(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    // The row numbers: the column is as wide as the numbers shown need.
    g->verticalHeader()->setDefaultSectionSize(18);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g->setWordWrap(false);
    if (auto* table = qobject_cast<TableModel*>(model)) {
        (void)table;
        TableModel::apply_widths(g);
    }
    return g;
}

// A matrix grid: its fixed rows and columns are cells of the model, so the view's own
// headers are hidden.
QTableView* make_string_grid(QWidget* parent, const char* name, QAbstractItemModel* model,
                             int default_column_width) {
    auto* g = new QTableView(parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setModel(model);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::ContiguousSelection);
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(18);
    g->horizontalHeader()->setDefaultSectionSize(default_column_width);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    g->setColumnWidth(0, 260);
    g->setWordWrap(false);
    return g;
}

QMenu* make_menu(QWidget* parent, const char* name, QAction** txt, const char* txt_name,
                 QAction** excel, const char* excel_name) {
    auto* m = new QMenu(parent);
    m->setObjectName(QString::fromLatin1(name));
    *txt = m->addAction(qs("导出至txt文本"));
    (*txt)->setObjectName(QString::fromLatin1(txt_name));
    m->addSeparator();
    *excel = m->addAction(qs("导出至excel"));
    (*excel)->setObjectName(QString::fromLatin1(excel_name));
    return m;
}

void fill_background(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

} // namespace

TForm_zhu::TForm_zhu(std::filesystem::path folder, Prompter& prompter_, StartOptions options,
                     QWidget* parent)
    : QMainWindow(parent), program_folder(std::move(folder)),
      settings_file(program_folder / store::settings_file_name), prompter(prompter_) {
    init_pictures();
    setObjectName(QStringLiteral("TForm_zhu"));
    setWindowTitle(qs(msg::window_caption));
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), qs("宋体"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    setFont(font);
    setMinimumSize(store::form_min_width, store::form_min_height);

    build_frame();
    connect_handlers();

    register_job(msg::job_extract, [this](TForm_zhuangtaitiao& d) { extract_job(d); });
    register_job(msg::job_statistics, [this](TForm_zhuangtaitiao& d) { statistics_job(d); });
    register_job(msg::job_word_document, [this](TForm_zhuangtaitiao& d) { word_document_job(d); });
    register_job(msg::job_cooccurrence, [this](TForm_zhuangtaitiao& d) { cooccurrence_job(d); });
    register_job(msg::network_tab, [this](TForm_zhuangtaitiao& d) { network_job(d); });

    // 1. The splash, shown modally until it closes.
    if (options.show_splash) {
        TForm0 splash(this);
        splash.exec();
    }
    // 2. The administrator page's sub-tabs.
    TabSet2->setCurrentIndex(0);
    Notebook2->setCurrentIndex(0);
    // 3. The page tabs: page 1 (项目) shown, the navigation label set by the tab click.
    {
        const QSignalBlocker block(TabSet1);
        TabSet1->setCurrentIndex(1);
    }
    TabSet1Click(1);
    // 4. Geometry from the settings file.
    restore_geometry();
    // 5. The project fields stay inert until a project is selected.
    Edit1->setReadOnly(true);
    Memo1->setReadOnly(true);
    ComboBox_geshi_2->setEnabled(false);
    // 6. The catalogue.
    catalogue.emplace(store::Catalogue::open(program_folder / store::catalogue_file_name));
    // 7. Both format lists.
    fill_format_lists();
    // 10. The project list with its first project selected.
    open_project_query(0);
    // 11. The matrix grids and the first matrix tab.
    PageControl1->setCurrentIndex(0);
}

TForm_zhu::~TForm_zhu() = default;

// ---- Construction -------------------------------------------------------------------

void TForm_zhu::build_frame() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    // Left side panel: the title picture with its hot spots, the credits picture.
    Panel_left = new QWidget(central);
    Panel_left->setObjectName(QStringLiteral("Panel_left"));
    Panel_left->setFixedWidth(200);
    fill_background(Panel_left, Qt::white);
    auto* left = new QVBoxLayout(Panel_left);
    left->setContentsMargins(3, 0, 4, 0);
    left->setSpacing(0);
    auto* title_box = new QWidget(Panel_left);
    title_box->setFixedSize(193, 304);
    Image_title = new QLabel(title_box);
    Image_title->setObjectName(QStringLiteral("Image_title"));
    Image_title->setGeometry(0, 0, 193, 304);
    Image_title->setScaledContents(true);
    Image_title->setPixmap(QPixmap(QStringLiteral(":/pictures/title.jpg")));
    static constexpr int hot_spots[4][2] = {{26, 128}, {115, 145}, {57, 198}, {129, 239}};
    for (int i = 0; i < 4; ++i) {
        auto* hot = new QToolButton(title_box);
        hot->setObjectName(QStringLiteral("SpeedButton_hot%1").arg(i + 1));
        hot->setGeometry(hot_spots[i][0], hot_spots[i][1], 33, 33);
        hot->setAutoRaise(true);
        hot->setCursor(Qt::PointingHandCursor);
        hot->setToolTip(qs(msg::page_captions[i + 1]));
        hot->setStyleSheet(QStringLiteral(
            "QToolButton { background: transparent; border: none; }"
            "QToolButton:hover { border: 1px solid #4a78b0; border-radius: 16px; }"));
        hot->raise();
        SpeedButton_hot[i] = hot;
    }
    left->addWidget(title_box);
    left->addStretch(1);
    Image_credits = new QLabel(Panel_left);
    Image_credits->setObjectName(QStringLiteral("Image_credits"));
    Image_credits->setFixedSize(193, 224);
    Image_credits->setScaledContents(true);
    Image_credits->setPixmap(QPixmap(QStringLiteral(":/pictures/credits.jpg")));
    left->addWidget(Image_credits);
    outer->addWidget(Panel_left);

    auto* right = new QVBoxLayout();
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);

    // Top bar: the navigation label and the exit button.
    Panel_top = new QWidget(central);
    Panel_top->setObjectName(QStringLiteral("Panel_top"));
    Panel_top->setFixedHeight(41);
    fill_background(Panel_top, QColor(0x70, 0x70, 0x70));
    auto* top = new QHBoxLayout(Panel_top);
    top->setContentsMargins(12, 0, 12, 0);
    Label_daohang = new QLabel(Panel_top);
    Label_daohang->setObjectName(QStringLiteral("Label_daohang"));
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(16);
    Label_daohang->setFont(bold);
    {
        QPalette p = Label_daohang->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        Label_daohang->setPalette(p);
    }
    top->addWidget(Label_daohang);
    top->addStretch(1);
    SpeedButton_tuichu =
        make_button(Panel_top, "SpeedButton_tuichu", msg::exit_button, QColor(0xff, 0xff, 0x00));
    top->addWidget(SpeedButton_tuichu);
    right->addWidget(Panel_top);

    // The five pages.
    Notebook1 = new QStackedWidget(central);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    Notebook1->addWidget(build_admin_page());
    Notebook1->addWidget(build_projects_page());
    Notebook1->addWidget(build_extract_page());
    Notebook1->addWidget(build_stats_page());
    Notebook1->addWidget(build_matrix_page());
    right->addWidget(Notebook1, 1);

    TabSet1 = new QTabBar(central);
    TabSet1->setObjectName(QStringLiteral("TabSet1"));
    TabSet1->setShape(QTabBar::RoundedSouth);
    TabSet1->setExpanding(false);
    for (const char* caption : msg::page_captions) {
        TabSet1->addTab(qs(caption));
    }
    right->addWidget(TabSet1);
    outer->addLayout(right, 1);
    setCentralWidget(central);
}

QWidget* TForm_zhu::build_admin_page() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_guanliyuan"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Notebook2 = new QStackedWidget(page);
    Notebook2->setObjectName(QStringLiteral("Notebook2"));
    auto* sub = new QWidget(Notebook2);
    sub->setObjectName(QStringLiteral("Page_geshi"));
    auto* grid = new QGridLayout(sub);
    grid->setContentsMargins(8, 8, 8, 8);

    auto* chooser = new QHBoxLayout();
    chooser->addWidget(make_label(sub, "·格式定义："));
    ComboBox_geshi = make_list(sub, "ComboBox_geshi");
    ComboBox_geshi->setMinimumContentsLength(36);
    chooser->addWidget(ComboBox_geshi, 1);
    SpeedButton1 = make_button(sub, "SpeedButton1", "增加");
    SpeedButton2 = make_button(sub, "SpeedButton2", "删除");
    SpeedButton3 = make_button(sub, "SpeedButton3", "修改");
    chooser->addWidget(SpeedButton1);
    chooser->addWidget(SpeedButton2);
    chooser->addWidget(SpeedButton3);
    grid->addLayout(chooser, 0, 0, 1, 2);

    std::vector<GridColumn> columns{{qs("关键字定义"), 120}};
    for (int i = 1; i <= 6; ++i) {
        columns.push_back({QStringLiteral("节点%1").arg(i), 90});
    }
    DBGrid1_model = new TableModel(std::move(columns), this);
    DBGrid1 = make_grid(sub, "DBGrid1", DBGrid1_model);
    grid->addWidget(DBGrid1, 1, 0);

    auto* side = new QVBoxLayout();
    SpeedButton4 = make_button(sub, "SpeedButton4", "增加");
    SpeedButton5 = make_button(sub, "SpeedButton5", "删除");
    SpeedButton6 = make_button(sub, "SpeedButton6", "修改");
    side->addWidget(SpeedButton4);
    side->addWidget(SpeedButton5);
    side->addWidget(SpeedButton6);
    side->addStretch(1);
    grid->addLayout(side, 1, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    Notebook2->addWidget(sub);
    layout->addWidget(Notebook2, 1);

    TabSet2 = new QTabBar(page);
    TabSet2->setObjectName(QStringLiteral("TabSet2"));
    TabSet2->setShape(QTabBar::RoundedSouth);
    TabSet2->setExpanding(false);
    TabSet2->addTab(qs(msg::admin_subpage_caption));
    layout->addWidget(TabSet2);
    return page;
}

QWidget* TForm_zhu::build_projects_page() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_xiangmu"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(8, 8, 8, 8);

    DBGrid2_model =
        new TableModel({{qs("项目编号"), 100}, {qs("格式类型"), 100}, {qs("项目说明"), 0}}, this);
    DBGrid2 = make_grid(page, "DBGrid2", DBGrid2_model);
    grid->addWidget(DBGrid2, 0, 0);

    auto* fields = new QFormLayout();
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(static_cast<int>(text::project_number_width));
    fields->addRow(make_label(page, "·项目编号："), Edit1);
    ComboBox_geshi_2 = make_list(page, "ComboBox_geshi_2");
    fields->addRow(make_label(page, "·格式类型："), ComboBox_geshi_2);
    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFixedHeight(72);
    Memo1->setTabChangesFocus(true);
    fields->addRow(make_label(page, "·项目说明："), Memo1);
    grid->addLayout(fields, 1, 0);

    auto* side = new QVBoxLayout();
    SpeedButton9 = make_button(page, "SpeedButton9", "增加");
    SpeedButton10 = make_button(page, "SpeedButton10", "删除");
    side->addWidget(SpeedButton9);
    side->addWidget(SpeedButton10);
    side->addStretch(1);
    grid->addLayout(side, 0, 1, 2, 1);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(0, 1);
    return page;
}

QWidget* TForm_zhu::build_extract_page() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_tiqu"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);

    // Document list.
    auto* docs = new QHBoxLayout();
    DBGrid3_model = new TableModel({{qs("序号"), 70, Qt::AlignRight | Qt::AlignVCenter},
                                    {qs("文献文档文件（目录）"), 400},
                                    {qs("指定目录中文件扩展名"), 140}},
                                   this);
    DBGrid3 = make_grid(page, "DBGrid3", DBGrid3_model);
    docs->addWidget(DBGrid3, 1);
    auto* doc_buttons = new QVBoxLayout();
    SpeedButton13 = make_button(page, "SpeedButton13", "选择文档");
    SpeedButton14 = make_button(page, "SpeedButton14", "选择目录");
    SpeedButton15 = make_button(page, "SpeedButton15", "移除文档");
    doc_buttons->addWidget(SpeedButton13);
    doc_buttons->addWidget(SpeedButton14);
    doc_buttons->addWidget(SpeedButton15);
    doc_buttons->addStretch(1);
    docs->addLayout(doc_buttons);
    layout->addLayout(docs, 2);

    // Keyword, count, filter, article number, extract.
    auto* bar = new QHBoxLayout();
    bar->addWidget(make_label(page, "·关键字段："));
    ComboBox1 = make_list(page, "ComboBox1");
    bar->addWidget(ComboBox1, 1);
    Label3 = make_label(page, "0", "Label3");
    {
        QFont f = font();
        f.setUnderline(true);
        Label3->setFont(f);
        QPalette p = Label3->palette();
        p.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
        Label3->setPalette(p);
        Label3->setMinimumWidth(48);
    }
    bar->addWidget(Label3);
    bar->addWidget(make_label(page, "·筛选："));
    RadioButton1 = new QRadioButton(qs("全部"), page);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(qs("仅同值"), page);
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    bar->addWidget(RadioButton1);
    bar->addWidget(RadioButton2);
    bar->addWidget(make_label(page, "文章号定位："));
    Edit2 = new QLineEdit(page);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaximumWidth(120);
    bar->addWidget(Edit2);
    SpeedButton16 = make_button(page, "SpeedButton16", "提取", Qt::red);
    bar->addWidget(SpeedButton16);
    layout->addLayout(bar);

    // Values grid with the side panel and the article basket.
    auto* values = new QHBoxLayout();
    DBGrid6_model = new TableModel(
        {{qs(msg::values_grid_article), 160}, {qs(msg::values_grid_value), 600}}, this);
    DBGrid6_model->bind([this] { return static_cast<long long>(zidian_rows.size()); },
                        [this](long long r, int column) -> std::string {
                            const auto& v = zidian_rows[static_cast<std::size_t>(r)];
                            return column == 0 ? v.wenzhangha : v.zhi;
                        });
    DBGrid6 = make_grid(page, "DBGrid6", DBGrid6_model);
    values->addWidget(DBGrid6, 1);
    Panel_values = new QWidget(page);
    Panel_values->setObjectName(QStringLiteral("Panel_values"));
    Panel_values->setFixedWidth(116);
    auto* side = new QVBoxLayout(Panel_values);
    side->setContentsMargins(0, 0, 0, 0);
    Panel_values_buttons = new QVBoxLayout();
    SpeedButton17 = make_button(Panel_values, "SpeedButton17", "摘除");
    SpeedButton18 = make_button(Panel_values, "SpeedButton18", "修改");
    SpeedButton19 = make_button(Panel_values, "SpeedButton19", "全部导出");
    SpeedButton_thesaurus =
        make_button(Panel_values, "SpeedButton_thesaurus", msg::thesaurus_button);
    SpeedButton_similar = make_button(Panel_values, "SpeedButton_similar", msg::similar_button);
    Panel_values_buttons->addWidget(SpeedButton17);
    Panel_values_buttons->addWidget(SpeedButton18);
    Panel_values_buttons->addWidget(SpeedButton_thesaurus);
    Panel_values_buttons->addWidget(SpeedButton_similar);
    Panel_values_buttons->addWidget(SpeedButton19);
    side->addLayout(Panel_values_buttons);
    side->addSpacing(12);
    SpeedButton23 = make_button(Panel_values, "SpeedButton23", "导出");
    side->addWidget(SpeedButton23);
    ListBox2 = new QListWidget(Panel_values);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    side->addWidget(ListBox2, 1);
    values->addWidget(Panel_values);
    layout->addLayout(values, 3);

    PopupMenu3 = make_menu(this, "PopupMenu3", &MenuItem4, "MenuItem4", &MenuItem6, "MenuItem6");
    PopupMenu4 = make_menu(this, "PopupMenu4", &MenuItem7, "MenuItem7", &MenuItem8, "MenuItem8");
    return page;
}

QWidget* TForm_zhu::build_stats_page() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_tongji"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* bar = new QHBoxLayout();
    bar->addWidget(make_label(page, "·关键字："));
    ComboBox3 = make_list(page, "ComboBox3");
    bar->addWidget(ComboBox3, 1);
    SpeedButton11 = make_button(page, "SpeedButton11", "统计", Qt::red);
    bar->addWidget(SpeedButton11);
    bar->addSpacing(16);
    bar->addWidget(make_label(page, "·频次阈值："));
    Edit4 = new QLineEdit(QStringLiteral("1"), page);
    Edit4->setObjectName(QStringLiteral("Edit4"));
    Edit4->setFixedWidth(48);
    make_digits_field(Edit4, 4);
    bar->addWidget(Edit4);
    UpDown2 = new UpDown(Edit4, 1, 999, page);
    UpDown2->setObjectName(QStringLiteral("UpDown2"));
    bar->addWidget(UpDown2);
    SpeedButton12 = make_button(page, "SpeedButton12", "导出至Excel");
    bar->addWidget(SpeedButton12);
    layout->addLayout(bar);

    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    DBGrid5_model = new TableModel({{qs("序号"), 60, right},
                                    {qs("关键字段"), 500},
                                    {qs("出现频次"), 100, right},
                                    {qs("百分比％"), 80, right},
                                    {qs("累计百分比％"), 100, right}},
                                   this);
    DBGrid5_model->set_bold_titles(true);
    DBGrid5 = make_grid(page, "DBGrid5", DBGrid5_model);
    // The value column gives up width so that the counts and percentages stay in view at
    // the window's default size; it takes what the other columns leave.
    DBGrid5->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    DBGrid5->setToolTip(qs("在某行统计结果上点击鼠标右键可获取导出菜单"));
    DBGrid5->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(DBGrid5, 1);
    PopupMenu1 = make_menu(this, "PopupMenu1", &txt1, "txt1", &excel1, "excel1");
    return page;
}

QWidget* TForm_zhu::build_matrix_page() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_juzhen"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);

    auto* bar = new QHBoxLayout();
    Label4 = make_label(page, "·关键字：", "Label4");
    bar->addWidget(Label4);
    ComboBox2 = make_list(page, "ComboBox2");
    bar->addWidget(ComboBox2, 1);
    bar->addSpacing(12);
    Label9 = make_label(page, "·频次阈值：", "Label9");
    bar->addWidget(Label9);
    QFont bold = font();
    bold.setBold(true);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    blue.setColor(QPalette::Text, Qt::blue);
    Label13 = make_label(page, "≥", "Label13");
    Label13->setFont(bold);
    Label13->setPalette(blue);
    bar->addWidget(Label13);
    Edit3 = new QLineEdit(QStringLiteral("1"), page);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    UpDown1 = new UpDown(Edit3, 1, 999, page);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    bar->addWidget(Edit3);
    bar->addWidget(UpDown1);
    Label12 = make_label(page, "≤", "Label12");
    Label12->setFont(bold);
    Label12->setPalette(blue);
    bar->addWidget(Label12);
    Edit5 = new QLineEdit(QStringLiteral("1"), page);
    Edit5->setObjectName(QStringLiteral("Edit5"));
    UpDown3 = new UpDown(Edit5, 1, 999, page);
    UpDown3->setObjectName(QStringLiteral("UpDown3"));
    bar->addWidget(Edit5);
    bar->addWidget(UpDown3);
    for (QLineEdit* e : {Edit3, Edit5}) {
        make_digits_field(e, 6);
        e->setFixedWidth(56);
        e->setPalette(blue);
    }
    SpeedButton7 = make_button(page, "SpeedButton7", "生成", Qt::red);
    SpeedButton8 = make_button(page, "SpeedButton8", "导出矩阵至Txt");
    bar->addWidget(SpeedButton7);
    bar->addWidget(SpeedButton8);
    layout->addLayout(bar);

    PageControl1 = new QTabWidget(page);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setStyleSheet(
        QStringLiteral("QTabBar::tab { min-width: 100px; font-weight: bold; }"));
    TabSheet1 = new QWidget(PageControl1);
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    StringGrid1_cells = new MatrixGridModel(6, 5, 0, 1, this);
    StringGrid1 = make_string_grid(TabSheet1, "StringGrid1", StringGrid1_cells, 70);
    auto* t1 = new QVBoxLayout(TabSheet1);
    t1->setContentsMargins(0, 0, 0, 0);
    t1->addWidget(StringGrid1);
    TabSheet2 = new QWidget(PageControl1);
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    StringGrid2_cells = new MatrixGridModel(5, 5, 1, 1, this);
    StringGrid2 = make_string_grid(TabSheet2, "StringGrid2", StringGrid2_cells, 160);
    StringGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* t2 = new QVBoxLayout(TabSheet2);
    t2->setContentsMargins(0, 0, 0, 0);
    t2->addWidget(StringGrid2);
    PageControl1->addTab(TabSheet1, qs(msg::job_word_document));
    PageControl1->addTab(TabSheet2, qs(msg::job_cooccurrence));
    PageControl1->addTab(build_network_tab(), qs(msg::network_tab));
    layout->addWidget(PageControl1, 1);
    PopupMenu2 = make_menu(this, "PopupMenu2", &MenuItem1, "MenuItem1", &MenuItem3, "MenuItem3");
    return page;
}

QWidget* TForm_zhu::build_network_tab() {
    TabSheet3 = new QWidget(PageControl1);
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    auto* layout = new QVBoxLayout(TabSheet3);
    layout->setContentsMargins(0, 4, 0, 0);
    auto* bar = new QHBoxLayout();
    bar->addWidget(make_label(TabSheet3, msg::network_measure_label));
    ComboBox_measure = make_list(TabSheet3, "ComboBox_measure");
    ComboBox_measure->setMinimumContentsLength(6);
    for (const char* caption : msg::measure_captions) {
        ComboBox_measure->addItem(qs(caption));
    }
    ComboBox_measure->setCurrentIndex(0);
    bar->addWidget(ComboBox_measure);
    bar->addSpacing(8);
    bar->addWidget(new QLabel(qs(msg::network_min_weight_name) + qs("："), TabSheet3));
    Edit_min_weight = new QLineEdit(QStringLiteral("0"), TabSheet3);
    Edit_min_weight->setObjectName(QStringLiteral("Edit_min_weight"));
    bar->addWidget(Edit_min_weight);
    bar->addWidget(new QLabel(qs(msg::network_resolution_name) + qs("："), TabSheet3));
    Edit_resolution = new QLineEdit(QStringLiteral("1"), TabSheet3);
    Edit_resolution->setObjectName(QStringLiteral("Edit_resolution"));
    bar->addWidget(Edit_resolution);
    for (QLineEdit* e : {Edit_min_weight, Edit_resolution}) {
        e->setFixedWidth(56);
        e->setMaxLength(12);
    }
    CheckBox_isolated = new QCheckBox(qs(msg::network_drop_isolated), TabSheet3);
    CheckBox_isolated->setObjectName(QStringLiteral("CheckBox_isolated"));
    bar->addWidget(CheckBox_isolated);
    bar->addStretch(1);
    SpeedButton_network =
        make_button(TabSheet3, "SpeedButton_network", msg::network_generate, Qt::red);
    SpeedButton_network_save =
        make_button(TabSheet3, "SpeedButton_network_save", msg::network_save);
    bar->addWidget(SpeedButton_network);
    bar->addWidget(SpeedButton_network_save);
    layout->addLayout(bar);

    auto* body = new QHBoxLayout();
    NetworkMap = new NetworkMapView(TabSheet3);
    NetworkMap->setObjectName(QStringLiteral("NetworkMap"));
    body->addWidget(NetworkMap, 1);
    ListBox_clusters = new QListWidget(TabSheet3);
    ListBox_clusters->setObjectName(QStringLiteral("ListBox_clusters"));
    ListBox_clusters->setFixedWidth(190);
    ListBox_clusters->setWordWrap(true);
    body->addWidget(ListBox_clusters);
    layout->addLayout(body, 1);

    PopupMenu_network_save = new QMenu(this);
    PopupMenu_network_save->setObjectName(QStringLiteral("PopupMenu_network_save"));
    for (int i = 0; i < 6; ++i) {
        network_save_actions[i] = PopupMenu_network_save->addAction(qs(msg::network_save_items[i]));
        if (i == 1) {
            PopupMenu_network_save->addSeparator();
        }
    }
    return TabSheet3;
}

void TForm_zhu::connect_handlers() {
    // Navigation.
    connect(TabSet1, &QTabBar::currentChanged, this, &TForm_zhu::TabSet1Click);
    connect(TabSet2, &QTabBar::currentChanged, this, &TForm_zhu::TabSet2Click);
    for (int i = 0; i < 4; ++i) {
        connect(SpeedButton_hot[i], &QToolButton::clicked, this,
                [this, i] { hot_spot_click(i + 1); });
    }
    connect(SpeedButton_tuichu, &QToolButton::clicked, this, &QWidget::close);

    // Enter moves on like Tab; leaving a field runs its exit handler.
    enter_as_tab({Edit1, ComboBox_geshi_2, Memo1, Edit2});
    for (QWidget* w : std::initializer_list<QWidget*>{Edit1, Memo1, Edit2}) {
        w->installEventFilter(this);
    }

    // 管理员
    connect(ComboBox_geshi, &QComboBox::currentIndexChanged, this,
            &TForm_zhu::ComboBox_geshiChange);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm_zhu::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm_zhu::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm_zhu::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm_zhu::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm_zhu::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm_zhu::SpeedButton6Click);

    // 项目
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ADOQuery_xiangmuAfterScroll(); });
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm_zhu::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TForm_zhu::SpeedButton10Click);
    connect(ComboBox_geshi_2, &QComboBox::activated, this, &TForm_zhu::ComboBox_geshi_2Change);

    // 提取
    connect(DBGrid3->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ADOQuery_wenxianAfterScroll(); });
    connect(SpeedButton13, &QToolButton::clicked, this, &TForm_zhu::SpeedButton13Click);
    connect(SpeedButton14, &QToolButton::clicked, this, &TForm_zhu::SpeedButton14Click);
    connect(SpeedButton15, &QToolButton::clicked, this, &TForm_zhu::SpeedButton15Click);
    connect(SpeedButton16, &QToolButton::clicked, this, &TForm_zhu::SpeedButton16Click);
    connect(ComboBox1, &QComboBox::activated, this, &TForm_zhu::ComboBox1Change);
    connect(RadioButton1, &QRadioButton::clicked, this, &TForm_zhu::RadioButton1Click);
    connect(RadioButton2, &QRadioButton::clicked, this, &TForm_zhu::RadioButton2Click);
    connect(DBGrid6->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &TForm_zhu::DBGrid6TitleClick);
    connect(DBGrid6, &QTableView::doubleClicked, this, [this] { DBGrid6DblClick(); });
    connect(ListBox2, &QListWidget::itemDoubleClicked, this, [this] { ListBox2DblClick(); });
    connect(SpeedButton17, &QToolButton::clicked, this, &TForm_zhu::SpeedButton17Click);
    connect(SpeedButton18, &QToolButton::clicked, this, &TForm_zhu::SpeedButton18Click);
    connect(SpeedButton_thesaurus, &QToolButton::clicked, this,
            &TForm_zhu::SpeedButton_thesaurusClick);
    connect(SpeedButton_similar, &QToolButton::clicked, this, &TForm_zhu::SpeedButton_similarClick);
    connect(SpeedButton19, &QToolButton::clicked, this, &TForm_zhu::SpeedButton19Click);
    connect(SpeedButton23, &QToolButton::clicked, this, &TForm_zhu::SpeedButton23Click);
    connect(MenuItem4, &QAction::triggered, this, &TForm_zhu::MenuItem4Click);
    connect(MenuItem6, &QAction::triggered, this, &TForm_zhu::MenuItem6Click);
    connect(MenuItem7, &QAction::triggered, this, &TForm_zhu::MenuItem7Click);
    connect(MenuItem8, &QAction::triggered, this, &TForm_zhu::MenuItem8Click);

    // 统计
    // Choosing an entry runs the handler even when it is the entry already shown.
    connect(ComboBox3, &QComboBox::activated, this, &TForm_zhu::ComboBox3Change);
    connect(SpeedButton11, &QToolButton::clicked, this, &TForm_zhu::SpeedButton11Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm_zhu::SpeedButton12Click);
    connect(DBGrid5, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(DBGrid5->viewport()->mapToGlobal(at)); });
    connect(txt1, &QAction::triggered, this, &TForm_zhu::txt1Click);
    connect(excel1, &QAction::triggered, this, &TForm_zhu::excel1Click);

    // 矩阵
    connect(ComboBox2, &QComboBox::activated, this, &TForm_zhu::ComboBox2Change);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm_zhu::SpeedButton7Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TForm_zhu::SpeedButton8Click);
    connect(StringGrid2, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PopupMenu2->popup(StringGrid2->viewport()->mapToGlobal(at));
    });
    connect(MenuItem1, &QAction::triggered, this, &TForm_zhu::MenuItem1Click);
    connect(MenuItem3, &QAction::triggered, this, &TForm_zhu::MenuItem3Click);
    // A double-click on the network map: the text report of the value's articles.
    value_report = [this](const std::string& keyword, const std::string& value) {
        export_value_articles(keyword, value, false);
    };
    // The matrix export has nothing to write on the network tab; the tab saves its own way.
    connect(PageControl1, &QTabWidget::currentChanged, this,
            [this](int index) { SpeedButton8->setEnabled(index != 2); });

    // 网络图
    connect(SpeedButton_network, &QToolButton::clicked, this, &TForm_zhu::SpeedButton_networkClick);
    connect(SpeedButton_network_save, &QToolButton::clicked, this, [this] {
        PopupMenu_network_save->popup(
            SpeedButton_network_save->mapToGlobal(QPoint(0, SpeedButton_network_save->height())));
    });
    for (int i = 0; i < 6; ++i) {
        connect(network_save_actions[i], &QAction::triggered, this, [this, i] { network_save(i); });
    }
    connect(NetworkMap, &NetworkMapView::nodeDoubleClicked, this, &TForm_zhu::NetworkMapDblClick);
}

// ---- Geometry -----------------------------------------------------------------------

void TForm_zhu::restore_geometry() {
    const store::FormGeometry g = store::read_form_geometry(settings_file);
    if (g.maximised) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    // Height, width, top, left in this order; the minimum size raises a smaller height
    // or width at once.
    resize(width(), g.height);
    resize(g.width, height());
    move(x(), g.top);
    move(g.left, y());
}

void TForm_zhu::closeEvent(QCloseEvent* event) {
    store::FormGeometry g;
    g.maximised = isMaximized();
    if (!g.maximised) {
        const QRect frame = frameGeometry();
        g.top = frame.top();
        g.left = frame.left();
        g.height = height();
        g.width = width();
    }
    // A settings file that cannot be written must not keep the program from ending.
    store::write_form_geometry(settings_file, g);
    event->accept();
}

// ---- Navigation ---------------------------------------------------------------------

void TForm_zhu::show_page(int index) {
    Notebook1->setCurrentIndex(index);
    Label_daohang->setText(TabSet1->tabText(index));
}

void TForm_zhu::TabSet1Click(int index) {
    if (index < 0 || index >= Notebook1->count() || in_tab_click_) {
        return;
    }
    in_tab_click_ = true;
    show_page(index);
    if (index == 0) {
        TabSet2Click(TabSet2->currentIndex());
    }
    if (index >= 2) {
        const char* refusal = nullptr;
        if (xiangmu_rows.empty()) {
            refusal = msg::create_project_first;
        } else if (const auto* p = selected_project();
                   p == nullptr || text::trim(p->bianhao).empty()) {
            refusal = msg::choose_project_first;
        }
        if (refusal != nullptr) {
            prompter.inform(refusal);
            {
                const QSignalBlocker block(TabSet1);
                TabSet1->setCurrentIndex(1);
            }
            show_page(1);
        }
    }
    in_tab_click_ = false;
}

void TForm_zhu::TabSet2Click(int index) {
    if (index < 0 || index >= Notebook2->count()) {
        return;
    }
    Notebook2->setCurrentIndex(index);
    Label_daohang->setText(TabSet1->tabText(Notebook1->currentIndex()) + QStringLiteral(" - ") +
                           TabSet2->tabText(index));
}

void TForm_zhu::hot_spot_click(int n) {
    {
        const QSignalBlocker block(TabSet1);
        TabSet1->setCurrentIndex(n);
    }
    TabSet1Click(n);
}

bool TForm_zhu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or a pop-up is not leaving the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == Edit1) {
                Edit1Exit();
            } else if (watched == Memo1) {
                Memo1Exit();
            } else if (watched == Edit2) {
                Edit2Exit();
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Data of the grids ----------------------------------------------------------------

void TForm_zhu::set_current_row(QTableView* view, int row) {
    auto* model = view->model();
    if (row < 0 || row >= model->rowCount()) {
        view->selectionModel()->clearCurrentIndex();
        view->clearSelection();
        return;
    }
    view->setCurrentIndex(model->index(row, 0));
    view->selectRow(row);
}

int TForm_zhu::project_row() const {
    const QModelIndex current = DBGrid2->currentIndex();
    if (!current.isValid() || current.row() >= static_cast<int>(xiangmu_rows.size())) {
        return -1;
    }
    return current.row();
}

const store::Project* TForm_zhu::selected_project() const {
    const int row = project_row();
    return row < 0 ? nullptr : &xiangmu_rows[static_cast<std::size_t>(row)];
}

int TForm_zhu::document_row() const {
    const QModelIndex current = DBGrid3->currentIndex();
    if (!current.isValid() || current.row() >= static_cast<int>(wenxian_rows.size())) {
        return -1;
    }
    return current.row();
}

const store::Document* TForm_zhu::selected_document() const {
    const int row = document_row();
    return row < 0 ? nullptr : &wenxian_rows[static_cast<std::size_t>(row)];
}

std::string TForm_zhu::selected_format_type() const {
    const auto* p = selected_project();
    if (p == nullptr || !catalogue) {
        return {};
    }
    return catalogue->format_type(p->geshi);
}

std::filesystem::path TForm_zhu::project_folder(const std::string& bianhao) const {
    return program_folder / bianhao;
}

void TForm_zhu::fill_format_lists() {
    const QSignalBlocker block_admin(ComboBox_geshi);
    const QSignalBlocker block_projects(ComboBox_geshi_2);
    ComboBox_geshi->clear();
    ComboBox_geshi_2->clear();
    for (const auto& key : catalogue->formats()) {
        const QString entry = QString::fromStdString(formats::make_format_entry(key));
        ComboBox_geshi->addItem(entry);
        ComboBox_geshi_2->addItem(entry);
    }
    ComboBox_geshi->setCurrentIndex(-1);
    ComboBox_geshi_2->setCurrentIndex(-1);
}

void TForm_zhu::open_project_query(int row) {
    xiangmu_rows = catalogue->projects();
    DBGrid2_model->bind([this] { return static_cast<long long>(xiangmu_rows.size()); },
                        [this](long long r, int c) {
                            const auto& p = xiangmu_rows[static_cast<std::size_t>(r)];
                            return c == 0 ? p.bianhao : c == 1 ? p.geshi : p.shuoming;
                        });
    if (xiangmu_rows.empty()) {
        ADOQuery_xiangmuAfterScroll();
        return;
    }
    const int last = static_cast<int>(xiangmu_rows.size()) - 1;
    set_current_row(DBGrid2, std::clamp(row, 0, last));
}

void TForm_zhu::open_document_query(int row) {
    const auto* p = selected_project();
    wenxian_rows = p == nullptr ? std::vector<store::Document>{} : catalogue->documents(p->bianhao);
    DBGrid3_model->bind(
        [this] { return static_cast<long long>(wenxian_rows.size()); },
        [this](long long r, int c) -> std::string {
            const auto& d = wenxian_rows[static_cast<std::size_t>(r)];
            return c == 0 ? std::to_string(d.xuhao) : c == 1 ? d.wenjianming : d.kuozhanming;
        });
    if (wenxian_rows.empty()) {
        ADOQuery_wenxianAfterScroll();
        return;
    }
    const int last = static_cast<int>(wenxian_rows.size()) - 1;
    set_current_row(DBGrid3, std::clamp(row, 0, last));
}

// ---- Jobs -----------------------------------------------------------------------------

void TForm_zhu::run_job(const std::string& title, const std::string& kind) {
    TForm_zhuangtaitiao dialog(
        this, [this] { return selected_format_type(); }, job_bodies);
    dialog.set_title(title);
    dialog.set_kind(kind);
    dialog.set_maximum(0);
    job_dialog = &dialog;
    dialog.exec();
    job_dialog = nullptr;
}

std::unique_ptr<TForm_zhuangtaitiao> TForm_zhu::start_caller_driven(const std::string& title) {
    auto dialog = std::make_unique<TForm_zhuangtaitiao>(
        this, [this] { return selected_format_type(); }, job_bodies);
    dialog->set_maximum(0);
    dialog->set_title(title);
    dialog->set_kind(msg::job_caller_driven);
    job_dialog = dialog.get();
    connect(dialog.get(), &QObject::destroyed, this, [this, raw = dialog.get()] {
        if (job_dialog == raw) {
            job_dialog = nullptr;
        }
    });
    dialog->show();
    QApplication::processEvents();
    return dialog;
}

} // namespace lumacite::app
