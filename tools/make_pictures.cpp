// make_pictures OUTPUT_DIR: draws the program's pictures (splash, title picture with the
// four circular page labels, credits picture) as JPEG files. Run once when a picture
// changes; the results are kept in assets/pictures.
#include <QBrush>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cmath>
#include <cstdio>

namespace {

QFont cjk(int pixels, bool bold = false) {
    QFont f;
    f.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void draw_node(QPainter& p, QPointF centre, double radius, const QString& label, QColor colour) {
    QRadialGradient g(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(140), 1.5));
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
    p.setPen(Qt::white);
    p.setFont(cjk(static_cast<int>(radius * 0.62), true));
    p.drawText(QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2),
               Qt::AlignCenter, label);
}

// The title picture: the centres of the circles lie under the hot spots of the side
// panel (33 x 33 buttons at (26,128), (115,145), (57,198), (129,239)).
QImage title_picture() {
    QImage img(193, 304, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient band(0, 0, 0, 96);
    band.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
    band.setColorAt(1, QColor(0x3f, 0x7c, 0xc4));
    p.fillRect(QRect(0, 0, 193, 96), band);
    p.setPen(Qt::white);
    p.setFont(cjk(26, true));
    p.drawText(QRect(0, 12, 193, 36), Qt::AlignCenter, QStringLiteral("Lumacite"));
    p.setFont(cjk(14));
    p.drawText(QRect(0, 52, 193, 22), Qt::AlignCenter, QString::fromUtf8("文献共现分析"));
    p.setFont(cjk(10));
    p.drawText(QRect(0, 74, 193, 16), Qt::AlignCenter,
               QString::fromUtf8("项目 · 提取 · 统计 · 矩阵"));

    const QPointF nodes[4] = {{42.5, 144.5}, {131.5, 161.5}, {73.5, 214.5}, {145.5, 255.5}};
    const char* labels[4] = {"项目", "提取", "统计", "矩阵"};
    const QColor colours[4] = {QColor(0x2e, 0x6d, 0xb4), QColor(0x2f, 0x8f, 0x5b),
                               QColor(0xc0, 0x6a, 0x1c), QColor(0x9b, 0x3b, 0x8f)};
    p.setPen(QPen(QColor(0x8a, 0x9b, 0xb0), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i + 1 < 4; ++i) {
        p.drawLine(nodes[i], nodes[i + 1]);
    }
    p.setPen(QPen(QColor(0xc8, 0xd2, 0xde), 1.5, Qt::DashLine));
    p.drawLine(nodes[0], nodes[2]);
    p.drawLine(nodes[1], nodes[3]);
    for (int i = 0; i < 4; ++i) {
        draw_node(p, nodes[i], 19, QString::fromUtf8(labels[i]), colours[i]);
    }
    p.setPen(QColor(0x70, 0x80, 0x90));
    p.setFont(cjk(10));
    p.drawText(QRect(0, 282, 193, 16), Qt::AlignCenter, QString::fromUtf8("点击圆形标签进入各页"));
    return img;
}

QImage credits_picture() {
    QImage img(193, 224, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QPen(QColor(0xc8, 0xd2, 0xde), 1));
    p.drawLine(16, 12, 177, 12);
    p.setPen(QColor(0x1f, 0x4e, 0x8c));
    p.setFont(cjk(16, true));
    p.drawText(QRect(0, 24, 193, 24), Qt::AlignCenter, QStringLiteral("Lumacite"));
    p.setPen(QColor(0x40, 0x48, 0x50));
    p.setFont(cjk(11));
    const char* lines[] = {"书目共现分析工具", "关键字段提取 · 频次统计", "词篇矩阵 · 共现矩阵",
                           "文献信息导出"};
    int y = 58;
    for (const char* line : lines) {
        p.drawText(QRect(0, y, 193, 18), Qt::AlignCenter, QString::fromUtf8(line));
        y += 22;
    }
    // A small co-occurrence network as an emblem.
    const QPointF dots[6] = {{70, 170}, {96, 152}, {122, 168}, {84, 196}, {112, 198}, {96, 178}};
    p.setPen(QPen(QColor(0x9a, 0xb0, 0xc8), 1.2));
    for (int i = 0; i < 6; ++i) {
        for (int j = i + 1; j < 6; ++j) {
            if ((i + j) % 2 == 1 || j == 5) {
                p.drawLine(dots[i], dots[j]);
            }
        }
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x6d, 0xb4));
    for (const auto& d : dots) {
        p.drawEllipse(d, 4, 4);
    }
    p.setPen(QColor(0x90, 0x98, 0xa0));
    p.setFont(cjk(9));
    p.drawText(QRect(0, 206, 193, 14), Qt::AlignCenter, QStringLiteral("V202108"));
    return img;
}

QImage splash_picture() {
    QImage img(892, 586, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient bg(0, 0, 892, 586);
    bg.setColorAt(0, QColor(0x10, 0x2a, 0x52));
    bg.setColorAt(1, QColor(0x2a, 0x64, 0xa8));
    p.fillRect(img.rect(), bg);
    // A network of values in the background.
    const int n = 18;
    QPointF pts[n];
    for (int i = 0; i < n; ++i) {
        const double a = i * 2.399963; // golden angle
        const double r = 40 + 11.0 * i;
        pts[i] = QPointF(640 + r * std::cos(a), 300 + r * 0.75 * std::sin(a));
    }
    p.setPen(QPen(QColor(255, 255, 255, 60), 1.2));
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if ((i * 7 + j * 3) % 5 == 0) {
                p.drawLine(pts[i], pts[j]);
            }
        }
    }
    p.setPen(Qt::NoPen);
    for (int i = 0; i < n; ++i) {
        p.setBrush(QColor(255, 255, 255, 110 + 6 * i));
        p.drawEllipse(pts[i], 4 + (i % 4), 4 + (i % 4));
    }
    p.setPen(Qt::white);
    p.setFont(cjk(64, true));
    p.drawText(QRect(60, 170, 600, 90), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Lumacite"));
    p.setFont(cjk(30));
    p.drawText(QRect(64, 262, 600, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("书目信息共现分析系统"));
    p.setPen(QColor(0xd8, 0xe4, 0xf4));
    p.setFont(cjk(16));
    p.drawText(QRect(66, 318, 600, 26), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("关键字段提取 · 频次统计 · 词篇矩阵 · 共现矩阵 · 文献信息导出"));
    p.setPen(QColor(0xff, 0xe0, 0x70));
    p.setFont(cjk(18, true));
    p.drawText(QRect(66, 500, 400, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("V2013"));
    p.setPen(QColor(0xb0, 0xc4, 0xe0));
    p.setFont(cjk(12));
    p.drawText(QRect(66, 530, 600, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("单击画面即可进入"));
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUTPUT_DIR\n");
        return 1;
    }
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const bool ok = splash_picture().save(dir + QStringLiteral("/splash.jpg"), "JPEG", 90) &&
                    title_picture().save(dir + QStringLiteral("/title.jpg"), "JPEG", 95) &&
                    credits_picture().save(dir + QStringLiteral("/credits.jpg"), "JPEG", 95);
    if (!ok) {
        std::fprintf(stderr, "make_pictures: cannot write the pictures to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
