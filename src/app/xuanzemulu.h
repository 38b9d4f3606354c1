// TForm_xuanzemulu, the directory dialog of the document list: a directory chosen in a
// tree (with a list of starting points: the file-system root, the home folder and the
// mounted volumes) and one
// of the extensions of the files in it. "确认" hands both to the opener's command; a
// refusal is shown and keeps the dialog open, success closes it. "取消" closes it.
#pragma once

#include "app/prompter.h"
#include "projects/projects.h"

#include <QComboBox>
#include <QDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lumacite::app {

struct MountedVolume {
    QString root;    // where it is mounted
    QByteArray type; // file-system type ("ext4", "vfat", "proc", ...)
};

// Starting points of the directory tree: "/", the home folder, then the mounted volumes a
// user keeps files on (further disks, removable media, network shares) in path order;
// kernel and system file systems (proc, tmpfs, /boot, /run, ...) are left out, except
// removable media under /run/media.
QStringList drive_roots(const std::vector<MountedVolume>& volumes, const QString& home);

// The starting point whose tree holds `path`: the deepest root that contains it.
QString starting_point(const QStringList& roots, const QString& path);

class TForm_xuanzemulu : public QDialog {
    Q_OBJECT
public:
    // Registers the directory with the extension; a refusal keeps the dialog open.
    using Command = std::function<projects::DirectoryRegistration(
        const std::filesystem::path& directory, const std::string& extension)>;

    // Opens on the current folder of the process.
    TForm_xuanzemulu(Prompter& prompter, Command command, QWidget* parent = nullptr);

    // The directory the tree shows as current (no trailing separator except for "/").
    const std::filesystem::path& directory() const { return directory_; }
    // Makes `directory` current in the tree and refills the extension list.
    void set_directory(const std::filesystem::path& directory);

    QLabel* Label1;               // "1.如果选择的是某个目录，请选择具体路径："
    QComboBox* DriveComboBox1;    // starting points of the tree: root, home, mounted volumes
    QTreeView* DirectoryListBox1; // directories only
    QLabel* Label2;               // "2.请指定目录中的文件扩展名："
    QComboBox* ComboBox1;         // extensions of the files of the current directory
    QPushButton* Button1;         // "确认"
    QPushButton* Button2;         // "取消"

public slots:
    void Button1Click();
    void Button2Click();
    void DriveComboBox1Change(int index);

private:
    // Clears the extension list and fills it from the files of the current directory;
    // no extension is chosen afterwards.
    void fill_extensions();
    QStringList roots() const;
    void current_directory_changed(const QModelIndex& current);

    Prompter& prompter_;
    Command command_;
    QFileSystemModel* model_;
    std::filesystem::path directory_;
};

} // namespace lumacite::app
