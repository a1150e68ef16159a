#pragma once

#include <QElapsedTimer>
#include <QWidget>

class MidiEditView;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

// The second page of a message view: the progress of a long transmission
// (bytes sent of the total, percent and time remaining), the byte count of
// data being received, or a failure, with one button ("Cancel" while a
// transmission runs, "OK" otherwise).
class MidiEditProgressView : public QWidget
{
    Q_OBJECT

public:
    enum ProgressState {
        ProgressStateRunning = 0,
        ProgressStateIdle = 1,
        ProgressStateError = 2,
        ProgressStateInitial = 3,
    };

    explicit MidiEditProgressView(MidiEditView* parent);

    void setProgressBarValue(int value);
    void setTotalCommunicationSize(unsigned int size);
    void setProgressBarEnabled(bool enabled, int minimum, int maximum);
    void setErrorMessage(const QString& message);

    int getState() const { return m_state; }
    unsigned int getTotalCommunicationSize() const { return m_totalCommunicationSize; }

public slots:
    void releasedButton();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    MidiEditView* m_pEditView;
    QVBoxLayout* m_pLayout;
    QProgressBar* m_pProgressBar;
    QLabel* m_pLabel;
    int m_progressValue;
    QElapsedTimer m_elapsed;
    unsigned int m_totalCommunicationSize;
    int m_state;
    QPushButton* m_pButton;
};
