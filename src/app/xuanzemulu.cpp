#include "app/xuanzemulu.h"

#include "messages.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStorageInfo>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace lumacite::app {
namespace {

QString qs(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

bool inside(const QString& path, const QString& root) {
    return root == QStringLiteral("/") || path == root || path.startsWith(root + QLatin1Char('/'));
}

// Kernel and system file systems: nothing a user keeps export files on.
bool system_volume(const QString& root, const QByteArray& type) {
    static const std::set<QByteArray> types = {
        "autofs",     "binfmt_misc", "bpf",      "cgroup",   "cgroup2", "configfs",
        "debugfs",    "devpts",      "devtmpfs", "efivarfs", "fusectl", "hugetlbfs",
        "mqueue",     "nsfs",        "proc",     "pstore",   "ramfs",   "rpc_pipefs",
        "securityfs", "squashfs",    "sysfs",    "tmpfs",    "tracefs", "overlay"};
    if (types.count(type) != 0) {
        return true;
    }
    for (const char* system : {"/boot", "/dev", "/proc", "/run", "/snap", "/sys", "/var/lib"}) {
        if (inside(root, QString::fromLatin1(system)) &&
            !inside(root, QStringLiteral("/run/media"))) {
            return true;
        }
    }
    return false;
}

} // namespace

QStringList drive_roots(const std::vector<MountedVolume>& volumes, const QString& home) {
    QStringList roots{QStringLiteral("/")};
    if (!home.isEmpty() && home != QStringLiteral("/")) {
        roots.append(home);
    }
    QStringList more;
    for (const auto& volume : volumes) {
        if (!roots.contains(volume.root) && !more.contains(volume.root) &&
            !system_volume(volume.root, volume.type)) {
            more.append(volume.root);
        }
    }
    std::sort(more.begin(), more.end());
    return roots + more;
}

QString starting_point(const QStringList& roots, const QString& path) {
    QString best = QStringLiteral("/");
    for (const auto& root : roots) {
        if (inside(path, root) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

TForm_xuanzemulu::TForm_xuanzemulu(Prompter& prompter, Command command, QWidget* parent)
    : QDialog(parent), prompter_(prompter), command_(std::move(command)) {
    setObjectName(QStringLiteral("TForm_xuanzemulu"));
    setWindowTitle(qs(msg::directory_dialog_caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(426, 257);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(4);

    Label1 = new QLabel(qs(msg::directory_path_label), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    std::vector<MountedVolume> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            volumes.push_back({volume.rootPath(), volume.fileSystemType()});
        }
    }
    DriveComboBox1->addItems(drive_roots(volumes, QDir::homePath()));
    layout->addWidget(DriveComboBox1);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QStringLiteral("/"));
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) {
        DirectoryListBox1->hideColumn(column);
    }
    DirectoryListBox1->header()->hide();
    DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    DirectoryListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(DirectoryListBox1, 1);

    Label2 = new QLabel(qs(msg::directory_extension_label), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    layout->addWidget(Label2);

    auto* bottom = new QHBoxLayout();
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setMinimumWidth(160);
    bottom->addWidget(ComboBox1);
    bottom->addStretch(1);
    Button1 = new QPushButton(qs(msg::directory_confirm), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(qs(msg::directory_cancel), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    layout->addLayout(bottom);

    connect(Button1, &QPushButton::clicked, this, &TForm_xuanzemulu::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm_xuanzemulu::Button2Click);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { current_directory_changed(current); });

    // The model reads folders in the background: keep the current folder in view as
    // its parents arrive.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        const QModelIndex current = DirectoryListBox1->currentIndex();
        if (current.isValid()) {
            DirectoryListBox1->scrollTo(current, QAbstractItemView::PositionAtCenter);
        }
    });
    // The tree opens on the current folder of the process.
    const QString current = QDir::currentPath();
    {
        const QSignalBlocker block(DriveComboBox1);
        DriveComboBox1->setCurrentIndex(DriveComboBox1->findText(starting_point(roots(), current)));
    }
    connect(DriveComboBox1, &QComboBox::activated, this, &TForm_xuanzemulu::DriveComboBox1Change);
    DirectoryListBox1->setRootIndex(model_->index(starting_point(roots(), current)));
    set_directory(current.toStdString());
}

void TForm_xuanzemulu::set_directory(const std::filesystem::path& directory) {
    const QModelIndex index = model_->index(qpath(directory));
    if (index.isValid()) {
        DirectoryListBox1->setCurrentIndex(index);
        DirectoryListBox1->scrollTo(index);
        DirectoryListBox1->expand(index);
        directory_ = model_->filePath(index).toStdString();
    } else {
        directory_ = directory;
    }
    fill_extensions();
}

void TForm_xuanzemulu::current_directory_changed(const QModelIndex& current) {
    if (!current.isValid()) {
        return;
    }
    directory_ = model_->filePath(current).toStdString();
    fill_extensions();
}

QStringList TForm_xuanzemulu::roots() const {
    QStringList items;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        items.append(DriveComboBox1->itemText(i));
    }
    return items;
}

void TForm_xuanzemulu::DriveComboBox1Change(int index) {
    if (index < 0) {
        return;
    }
    const QString root = DriveComboBox1->itemText(index);
    DirectoryListBox1->setRootIndex(model_->index(root));
    set_directory(root.toStdString());
}

void TForm_xuanzemulu::fill_extensions() {
    ComboBox1->clear();
    for (const auto& extension : projects::extension_list(directory_)) {
        ComboBox1->addItem(QString::fromStdString(extension));
    }
    ComboBox1->setCurrentIndex(-1);
}

void TForm_xuanzemulu::Button1Click() {
    const std::string extension =
        ComboBox1->currentIndex() < 0 ? std::string() : ComboBox1->currentText().toStdString();
    projects::DirectoryRegistration outcome;
    try {
        outcome = command_(directory_, extension);
    } catch (const std::exception& e) {
        prompter_.refuse(e.what());
        return;
    }
    if (!outcome.refusal.empty()) {
        prompter_.refuse(outcome.refusal);
        return;
    }
    accept();
}

void TForm_xuanzemulu::Button2Click() {
    reject();
}

} // namespace lumacite::app
