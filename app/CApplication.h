#pragma once

#include <QApplication>

// The application object: turns the platform's request to open a document
// into a project-file open on the main window.
class CApplication : public QApplication
{
public:
    CApplication(int& argc, char** argv);
    ~CApplication() override;

    bool event(QEvent* e) override;
};
