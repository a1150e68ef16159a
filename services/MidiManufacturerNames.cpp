#include "services/MidiManufacturerNames.h"

#include <algorithm>
#include <iterator>

namespace {

struct Manufacturer {
    unsigned int id;
    const char* name;
};

const unsigned char ExtendedIdByte = 0x00;
const int ExtendedIdLength = 3;

// One-byte IDs, sorted: the American group from 01, the European group from
// 20, the Japanese group from 40, and the reserved IDs at the end.
const Manufacturer OneByteIds[] = {
    {0x01, "Sequential Circuits"},
    {0x02, "IDP"},
    {0x03, "Voyetra Turtle Beach (Octave-Plateau)"},
    {0x04, "Moog Music"},
    {0x05, "Passport Designs"},
    {0x06, "Lexicon"},
    {0x07, "Kurzweil / Young Chang"},
    {0x08, "Fender"},
    {0x09, "MIDI9"},
    {0x0A, "AKG Acoustics"},
    {0x0B, "Voyce Music"},
    {0x0C, "WaveFrame"},
    {0x0D, "ADA Signal Processors"},
    {0x0E, "Garfield Electronics"},
    {0x0F, "Ensoniq"},
    {0x10, "Oberheim / Gibson Labs"},
    {0x11, "Apple"},
    {0x12, "Grey Matter Response"},
    {0x13, "Digidesign"},
    {0x14, "Palmtree Instruments"},
    {0x15, "JLCooper Electronics"},
    {0x16, "Lowrey Organ Company"},
    {0x17, "Adams-Smith"},
    {0x18, "E-mu"},
    {0x19, "Harmony Systems"},
    {0x1A, "ART"},
    {0x1B, "Baldwin"},
    {0x1C, "Eventide"},
    {0x1D, "Inventronics"},
    {0x1E, "Key Concepts"},
    {0x1F, "Clarity"},
    {0x20, "Passac"},
    {0x21, "Proel Labs (SIEL)"},
    {0x22, "Synthaxe"},
    {0x23, "Stepp"},
    {0x24, "Hohner"},
    {0x25, "Twister"},
    {0x26, "Ketron (Solton)"},
    {0x27, "Jellinghaus MS"},
    {0x28, "Southworth Music Systems"},
    {0x29, "PPG"},
    {0x2A, "JEN"},
    {0x2B, "Solid State Logic Organ Systems"},
    {0x2C, "Audio Veritrieb-P. Struven"},
    {0x2D, "Neve"},
    {0x2E, "Soundtracs"},
    {0x2F, "Elka"},
    {0x30, "Dynacord"},
    {0x31, "Viscount International"},
    {0x32, "Drawmer"},
    {0x33, "Clavia Digital Instruments"},
    {0x34, "Audio Architecture"},
    {0x35, "Generalmusic"},
    {0x36, "Cheetah Marketing"},
    {0x37, "C.T.M."},
    {0x38, "Simmons UK"},
    {0x39, "Soundcraft Electronics"},
    {0x3A, "Steinberg Media Technologies"},
    {0x3B, "Wersi"},
    {0x3C, "AVAB Niethammer"},
    {0x3D, "Digigram"},
    {0x3E, "Waldorf Electronics"},
    {0x3F, "Quasimidi"},
    {0x40, "Kawai"},
    {0x41, "Roland"},
    {0x42, "Korg"},
    {0x43, "Yamaha"},
    {0x44, "Casio"},
    {0x46, "Kamiya Studio"},
    {0x47, "Akai"},
    {0x48, "Victor Company of Japan"},
    {0x4B, "Fujitsu"},
    {0x4C, "Sony"},
    {0x4E, "Teac"},
    {0x50, "Matsushita Electric"},
    {0x51, "Fostex"},
    {0x52, "Zoom"},
    {0x54, "Matsushita Communication Industrial"},
    {0x55, "Suzuki Musical Instruments"},
    {0x56, "Fuji Sound"},
    {0x57, "Acoustic Technical Laboratory"},
    {0x59, "Faith"},
    {0x5A, "Internet Corporation"},
    {0x5C, "Seekers"},
    {0x5F, "SD Card Association"},
    {0x7D, "Non-Commercial"},
    {0x7E, "Universal Non-Real Time"},
    {0x7F, "Universal Real Time"},
};

// Three-byte IDs 00 xx xx by their last two bytes, sorted.
const Manufacturer ThreeByteIds[] = {
    {0x0001, "Time/Warner Interactive"},
    {0x0007, "Digital Music Corp."},
    {0x0009, "New England Digital"},
    {0x000E, "Alesis Studio Electronics"},
    {0x0010, "DOD Electronics"},
    {0x0016, "Opcode Systems"},
    {0x001A, "Allen & Heath Brenell"},
    {0x001B, "Peavey Electronics"},
    {0x001C, "360 Systems"},
    {0x001F, "Zeta Systems"},
    {0x0020, "Axxes"},
    {0x0021, "Orban"},
    {0x0024, "KTI"},
    {0x0029, "Rocktron"},
    {0x002A, "PianoDisc"},
    {0x002D, "Rodgers Instrument"},
    {0x002E, "Blue Sky Logic"},
    {0x0035, "Allen Organ"},
    {0x0038, "Aphex"},
    {0x0039, "Gallien Krueger"},
    {0x003A, "IBM"},
    {0x003B, "Mark of the Unicorn"},
    {0x003F, "Ad Lib"},
    {0x0041, "Microsoft"},
    {0x0047, "Groove Tubes"},
    {0x004A, "Mesa Boogie"},
    {0x004E, "Euphonix"},
    {0x0050, "MIDI Solutions"},
    {0x0051, "3DO Company"},
    {0x0052, "High End Systems"},
    {0x0058, "Atari"},
    {0x005E, "Symetrix"},
    {0x0065, "Turtle Beach Systems"},
    {0x0066, "Mackie"},
    {0x0069, "QRS Music"},
    {0x006A, "PG Music"},
    {0x0071, "Sabine Musical"},
    {0x0074, "Ta Horng Musical Instrument"},
    {0x0076, "Electro-Voice"},
    {0x0077, "Midisoft"},
    {0x0078, "QSound Labs"},
    {0x007E, "Otari"},
    {0x0105, "M-Audio (Midiman)"},
    {0x2013, "Kenton Electronics"},
    {0x201F, "TC Electronic"},
    {0x2029, "Focusrite/Novation"},
    {0x2032, "Behringer"},
    {0x2033, "Access Music Electronics"},
    {0x203C, "Elektron"},
    {0x206B, "Arturia"},
    {0x2109, "Native Instruments"},
};

template <int Count>
const char* lookUp(const Manufacturer (&table)[Count], unsigned int id)
{
    const Manufacturer* end = table + Count;
    const Manufacturer* found
        = std::lower_bound(table, end, id, [](const Manufacturer& entry, unsigned int key) { return entry.id < key; });
    return found != end && found->id == id ? found->name : nullptr;
}

unsigned int byteAt(const QByteArray& bytes, int index)
{
    return static_cast<unsigned char>(bytes.at(index));
}

} // namespace

int MidiManufacturerNames::idLength(const QByteArray& bytes, int offset)
{
    if (offset >= bytes.size()) {
        return 0;
    }
    const int length = byteAt(bytes, offset) == ExtendedIdByte ? ExtendedIdLength : 1;
    return offset + length <= bytes.size() ? length : 0;
}

QString MidiManufacturerNames::name(const QByteArray& bytes, int offset)
{
    const int length = idLength(bytes, offset);
    const char* found = nullptr;
    if (length == 1) {
        found = lookUp(OneByteIds, byteAt(bytes, offset));
    } else if (length == ExtendedIdLength) {
        found = lookUp(ThreeByteIds, byteAt(bytes, offset + 1) << 8 | byteAt(bytes, offset + 2));
    }
    return found == nullptr ? QString() : QString::fromLatin1(found);
}
