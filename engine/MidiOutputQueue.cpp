#include "engine/MidiOutputQueue.h"

#include <cstring>

namespace {

const unsigned char StatusMask = 0xF0;
const unsigned char ChannelMask = 0x0F;
const unsigned char NoteOff = 0x80;
const unsigned char NoteOn = 0x90;
const int NoteMessageSize = 3;

} // namespace

MidiOutputQueue::MidiOutputQueue(std::function<void(const QByteArray&)> send)
    : m_send(std::move(send))
    , m_sending(false)
    , m_stop(false)
{
    std::memset(m_sounding, 0, sizeof m_sounding);
    m_thread = std::thread(&MidiOutputQueue::run, this);
}

MidiOutputQueue::~MidiOutputQueue()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool MidiOutputQueue::isEmpty()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.empty() && !m_sending;
}

bool MidiOutputQueue::push(const QByteArray& message)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_waiting.size() >= Capacity && !endsSoundingNote(message))
            return false;
        follow(message);
        m_waiting.push_back(message);
    }
    m_changed.notify_all();
    return true;
}

void MidiOutputQueue::noteSent(const QByteArray& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    follow(message);
}

void MidiOutputQueue::follow(const QByteArray& message)
{
    if (message.size() != NoteMessageSize)
        return;
    const auto status = static_cast<unsigned char>(message[0]);
    const int key = message[1] & 0x7F;
    bool& sounding = m_sounding[status & ChannelMask][key];
    if ((status & StatusMask) == NoteOn)
        sounding = message[2] != 0;
    else if ((status & StatusMask) == NoteOff)
        sounding = false;
}

bool MidiOutputQueue::endsSoundingNote(const QByteArray& message) const
{
    if (message.size() != NoteMessageSize)
        return false;
    const auto status = static_cast<unsigned char>(message[0]);
    const bool ends = (status & StatusMask) == NoteOff || ((status & StatusMask) == NoteOn && message[2] == 0);
    return ends && m_sounding[status & ChannelMask][message[1] & 0x7F];
}

void MidiOutputQueue::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_waiting.empty(); });
        if (m_waiting.empty())
            return;
        const QByteArray message = m_waiting.front();
        m_waiting.pop_front();
        m_sending = true;
        lock.unlock();
        m_send(message);
        lock.lock();
        m_sending = false;
    }
}
