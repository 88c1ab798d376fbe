#pragma once

#include <sane/sane.h>

#include <QByteArray>
#include <QImage>

namespace orvel {

// Puts the frames a SANE device delivers together into one picture: a grey
// or colour frame, or the red, green and blue frames of a three-pass
// scanner; 1, 8 or 16 bits a sample; a known number of lines or, for hand
// scanners, as many as arrive.
//
// Grey pictures become 256 grey levels and line art black and white with a
// palette, so that they keep their depth when saved; colour becomes 24 bits.
// 16-bit samples keep their high byte.
class ScanImageAssembler
{
public:
    // A scan larger than this many bytes of frame data is refused.
    static constexpr qsizetype kMaxFrameBytes = qsizetype(256) << 20;

    // Starts a frame; false when its parameters cannot be taken: an unknown
    // format or depth, no pixels, fewer bytes a line than the pixels need,
    // a size beyond the limit, or a colour frame of a three-pass scan whose
    // size differs from the first one's.
    bool beginFrame(const SANE_Parameters &parameters);
    // Takes bytes as sane_read() delivers them; false when the frame would
    // grow beyond the limit.
    bool add(const SANE_Byte *data, SANE_Int length);
    // Ends the frame at the end of its data: false when fewer lines arrived
    // than it announced (or none at all), or when the last frame of a
    // three-pass scan leaves a colour missing.
    bool endFrame();

    // Whether the last frame has ended, so that the picture is complete.
    bool complete() const { return m_complete; }
    // The picture; null until complete.
    QImage picture() const { return m_complete ? m_picture : QImage(); }

private:
    bool takeGrey(int lines);
    bool takeColour(int lines);
    bool takeChannel(int lines, int shift);
    // Sample `index` of a line (0-based), scaled to 8 bits.
    int sample(const uchar *line, int index) const;

    SANE_Parameters m_frame{};
    QByteArray m_data;
    QImage m_picture;
    int m_channels = 0; // the colours of a three-pass scan that arrived
    bool m_inFrame = false;
    bool m_complete = false;
};

} // namespace orvel
