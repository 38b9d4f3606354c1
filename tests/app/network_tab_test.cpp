// The network tab of the matrix page: generation with its question and refusals, the
// legend, the save menu, and the map's clicks, drags, wheel and double-click.
#include "analysis/jobs.h"
#include "app/scripted_prompter.h"
#include "app/zhu.h"
#include "store/catalogue.h"
#include "store/workspace.h"
#include "support/temp_dir.h"
#include "support/window_home.h"

#include <gtest/gtest.h>

#include <QTest>

#include <memory>

using namespace lumacite;
using namespace lumacite::app;
using lumacite::testing::append_rows;
using lumacite::testing::make_catalogue;
using lumacite::testing::qs;
using lumacite::testing::read_file;
using lumacite::testing::TempDir;

namespace {

class NetworkTab : public ::testing::Test {
protected:
    void SetUp() override {
        make_catalogue(home.path(), {{"T1", "WOS", ""}});
        // Li (A1 A2 A3), Wang (A1 A4), Zhang (A3), Zhao (A5): Zhao shares no article.
        append_rows(home.path(), "T1",
                    {{1, "A1", "作者", "Li"},
                     {1, "A1", "作者", "Wang"},
                     {1, "A2", "作者", "Li"},
                     {1, "A3", "作者", "Li"},
                     {1, "A3", "作者", "Zhang"},
                     {1, "A4", "作者", "Wang"},
                     {1, "A5", "作者", "Zhao"}});
        {
            auto ws = store::Workspace::bind(home.path(), "T1");
            NullProgress quiet;
            analysis::run_statistics_job(ws, "作者", "<txt>", quiet);
            ws.close();
        }
        window = std::make_unique<TForm_zhu>(home.path(), prompter, StartOptions{false});
        // Choosing the counted keyword sets the bounds to all four values (1 … 3).
        const int authors = window->ComboBox2->findText(qs("作者"));
        window->ComboBox2->setCurrentIndex(authors);
        window->ComboBox2Change(authors);
        ASSERT_EQ(window->Edit5->text(), qs("3"));
        window->PageControl1->setCurrentIndex(2);
        prompter.clear();
    }

    void generate() {
        prompter.answer(true);
        window->SpeedButton_networkClick();
    }

    const network::Network& shown() const { return window->NetworkMap->network_map()->network(); }

    TempDir home;
    TempDir out;
    ScriptedPrompter prompter;
    std::unique_ptr<TForm_zhu> window;
};

TEST_F(NetworkTab, GenerationAsksThenShowsTheMapAndItsLegend) {
    EXPECT_FALSE(window->SpeedButton8->isEnabled()); // no matrix export on this tab
    window->ComboBox_measure->setCurrentIndex(2);    // 余弦
    EXPECT_EQ(window->ComboBox_measure->currentText(), qs("余弦"));
    generate();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"是否要对“作者”进行“网络图”生成？\r"});
    ASSERT_NE(window->NetworkMap->network_map(), nullptr);
    const auto& net = shown();
    ASSERT_EQ(net.nodes.size(), 4u);
    EXPECT_EQ(net.measure, network::Measure::cosine);
    EXPECT_EQ(net.edges.size(), 2u);
    EXPECT_EQ(net.nodes[3].label, "Zhao");
    EXPECT_EQ(net.nodes[3].degree, 0);
    // Li with Wang and Zhang form one cluster; Zhao is a cluster of its own.
    ASSERT_EQ(window->ListBox_clusters->count(), 2);
    EXPECT_EQ(window->ListBox_clusters->item(0)->text(), qs("聚类 1（3）：Li、Wang、Zhang"));
    EXPECT_EQ(window->ListBox_clusters->item(1)->text(), qs("聚类 2（1）：Zhao"));
    EXPECT_EQ(window->network_keyword, "作者");

    // 生成 on this tab generates the network too; isolated values can be left out.
    window->CheckBox_isolated->setChecked(true);
    prompter.clear();
    prompter.answer(true);
    window->SpeedButton7Click();
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"是否要对“作者”进行“网络图”生成？\r"});
    EXPECT_EQ(shown().nodes.size(), 3u);
    EXPECT_EQ(window->ListBox_cipian, std::vector<std::string>{"临时存储"});

    // Declining keeps the map; bounds outside every count keep it silently.
    prompter.clear();
    prompter.answer(false);
    window->SpeedButton_networkClick();
    EXPECT_EQ(shown().nodes.size(), 3u);
    window->Edit3->setText(qs("9"));
    prompter.clear();
    generate();
    EXPECT_EQ(prompter.texts().size(), 1u);
    EXPECT_EQ(shown().nodes.size(), 3u);
    EXPECT_EQ(prompter.unused_answers(), 0u);
}

TEST_F(NetworkTab, InvalidSettingsAreRefusedBeforeTheQuestion) {
    struct Case {
        const char* min_weight;
        const char* resolution;
        const char* message;
    };
    for (const Case& c :
         {Case{"x", "1", "请输入有效的数值：最小权重"},
          Case{"-1", "1", "请输入有效的数值：最小权重"}, Case{"", "0", "请输入有效的数值：分辨率"},
          Case{"0", "", "请输入有效的数值：分辨率"}}) {
        window->Edit_min_weight->setText(qs(c.min_weight));
        window->Edit_resolution->setText(qs(c.resolution));
        prompter.clear();
        window->SpeedButton_networkClick();
        EXPECT_EQ(prompter.texts(), std::vector<std::string>{c.message});
    }
    EXPECT_EQ(window->NetworkMap->network_map(), nullptr);
}

TEST_F(NetworkTab, SaveMenuWritesPicturesAndNetworkFiles) {
    window->network_save(2);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"请首先生成网络图！\r"});
    generate();
    prompter.clear();

    prompter.choose(out / "m");
    window->network_save(2); // Pajek
    EXPECT_EQ(prompter.calls().back().filter, "Pajek (*.net)");
    EXPECT_EQ(read_file(out / "m.net").substr(0, 28), "*Vertices 4\n1 \"Li\"\n2 \"Wang\"\n");
    prompter.choose(out / "m");
    window->network_save(3); // VOSviewer: two files
    EXPECT_TRUE(std::filesystem::exists(out / "m_map.txt"));
    EXPECT_TRUE(std::filesystem::exists(out / "m_network.txt"));
    prompter.choose(out / "p");
    window->network_save(0);
    EXPECT_EQ(read_file(out / "p.png").substr(1, 3), "PNG");
    prompter.choose(out / "s.svg");
    window->network_save(1);
    EXPECT_NE(read_file(out / "s.svg").find("<svg"), std::string::npos);
    prompter.choose(std::nullopt);
    window->network_save(4); // cancelled: nothing written
    EXPECT_FALSE(std::filesystem::exists(out / "m.graphml"));

    prompter.clear();
    prompter.choose(out / "none" / "g");
    window->network_save(4);
    ASSERT_EQ(prompter.calls().size(), 2u);
    EXPECT_EQ(prompter.calls()[1].kind, ScriptedPrompter::Kind::refuse);
    EXPECT_EQ(prompter.calls()[1].text, "无法写入文件：" + (out / "none" / "g.graphml").string());
}

TEST_F(NetworkTab, ClicksSelectDragsPanWheelZoomsDoubleClickOffersTheReport) {
    generate();
    prompter.clear();
    NetworkMapView* view = window->NetworkMap;
    view->resize(400, 300);
    const auto& li = shown().nodes[0];
    const QPoint at = view->view().to_screen(li.x, li.y).toPoint();
    EXPECT_EQ(view->network_map()->node_at(at, view->view()), 0);
    EXPECT_EQ(map::node_tooltip(shown(), 0), qs("值：Li\n频次：3\n聚类：1\n连接强度：2"));

    QTest::mouseClick(view, Qt::LeftButton, {}, at);
    EXPECT_EQ(view->selected(), 0);
    EXPECT_EQ(view->network_map()->neighbours(0), (std::vector<std::uint32_t>{1, 2}));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(view->selected(), -1);

    // A drag moves the map by the distance dragged and selects nothing.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(130, 110), view->mapToGlobal(QPointF(130, 110)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(130, 110));
    EXPECT_EQ(view->view().to_screen(li.x, li.y).toPoint(), at + QPoint(30, 10));
    EXPECT_EQ(view->selected(), -1);

    // The wheel zooms around the pointer: the point under it stays.
    const QPointF under = view->view().to_map(QPointF(200, 150));
    QWheelEvent wheel(QPointF(200, 150), view->mapToGlobal(QPointF(200, 150)), QPoint(),
                      QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_DOUBLE_EQ(view->view().zoom, 1.5625);
    EXPECT_NEAR(view->view().to_map(QPointF(200, 150)).x(), under.x(), 1e-12);

    // Without the report connected a double-click only selects; with it, it asks first.
    ASSERT_TRUE(window->value_report); // the window's own: the text report
    window->value_report = nullptr;
    const QPoint now = view->view().to_screen(li.x, li.y).toPoint();
    QTest::mouseDClick(view, Qt::LeftButton, {}, now);
    EXPECT_TRUE(prompter.texts().empty());
    EXPECT_EQ(view->selected(), 0);
    std::vector<std::string> reported;
    window->value_report = [&](const std::string& k, const std::string& v) { reported = {k, v}; };
    prompter.answer(false);
    QTest::mouseDClick(view, Qt::LeftButton, {}, now);
    EXPECT_TRUE(reported.empty());
    prompter.answer(true);
    QTest::mouseDClick(view, Qt::LeftButton, {}, now);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>(2, "是否要导出“Li”的文献信息？\r"));
    EXPECT_EQ(reported, (std::vector<std::string>{"作者", "Li"}));
}

} // namespace
