#pragma once

#include "platform/SystemInfo.h"

#include <QDialog>

#include <memory>

class QLabel;

namespace Ui {
class AboutDialog;
}

namespace orvel {

// "&Info...": the program's version and build, and what it runs on:
// processor, free and total memory, free space of the current folder and
// the kernel's version.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    struct Facts
    {
        SystemInfo::Memory memory;
        SystemInfo::Processor processor = SystemInfo::Processor::Unknown;
        std::optional<std::uint64_t> freeDiskKB;
        SystemInfo::KernelVersion kernel;
    };

    // The facts of this machine, read now.
    static Facts ReadFacts();

    explicit AboutDialog(const Facts &facts, QWidget *parent = nullptr);
    ~AboutDialog() override;

    QLabel *VersionLabel() const;
    QLabel *BuildLabel() const;
    QLabel *ProcessorLabel() const;
    QLabel *FreeMemoryLabel() const;
    QLabel *TotalMemoryLabel() const;
    QLabel *DiskLabel() const;
    QLabel *SystemLabel() const;

private:
    std::unique_ptr<Ui::AboutDialog> m_ui;
};

// Shows the dialog centred on `parent`.
void RunAboutDialog(QWidget *parent);

} // namespace orvel
