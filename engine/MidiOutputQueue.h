#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Messages of the GUI thread that wait their turn behind a message in
// progress (a dump), sent in order on a thread of their own so that the GUI
// thread never waits. At most Capacity messages wait; what does not fit is
// refused, except that a Note Off is never refused while its Note On went out.
class MidiOutputQueue
{
public:
    static constexpr std::size_t Capacity = 1024;

    // send is called on the queue's thread for every message, in order; it
    // counts and records its own outcome (the engine's sendNow), as no one
    // waits here for a result.
    explicit MidiOutputQueue(std::function<void(const QByteArray&)> send);
    // Sends what waits, then ends the thread.
    ~MidiOutputQueue();

    MidiOutputQueue(const MidiOutputQueue&) = delete;
    MidiOutputQueue& operator=(const MidiOutputQueue&) = delete;

    // Whether a message may go out now, ahead of nothing.
    bool isEmpty();
    // Takes a message to send later; false when it is refused.
    bool push(const QByteArray& message);
    // A message that went out at once: its notes sound now, or not any more.
    void noteSent(const QByteArray& message);

private:
    void run();
    // Under m_mutex.
    void follow(const QByteArray& message);
    bool endsSoundingNote(const QByteArray& message) const;

    static constexpr int Channels = 16;
    static constexpr int Keys = 128;

    const std::function<void(const QByteArray&)> m_send;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_waiting;
    // Sending the one taken off the front.
    bool m_sending;
    bool m_stop;
    bool m_sounding[Channels][Keys];
    std::thread m_thread;
};
