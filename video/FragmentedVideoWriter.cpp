#include "FragmentedVideoWriter.h"

#include "GlobalConsole.h"
#include "VideoFileMover.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <string>

namespace {
// A key frame every twelve frames, as OpenCV's writer, which recorded before, makes them. A
// fragment ends at each key frame, so this is also about what a killed recording loses.
constexpr int keyFrameInterval = 12;
// About the bit rate, per pixel and frame, that OpenCV's writer, which recorded before, gives
// MPEG-4 Part 2: the videos keep their quality and their size.
constexpr double bitsPerPixel = 2.0;
// The largest time-base denominator MPEG-4 Part 2 allows.
constexpr int largestRateTerm = 65535;
// What a copy into the plain layout leaves free for the other recordings on its disk: minutes of
// a chamber's video.
constexpr quint64 reservedBytes = quint64(256) << 20;

template <typename T, void (*Free)(T**)>
struct Freeing
{
    void operator()(T* pointer) const { Free(&pointer); }
};

void closeOutput(AVFormatContext* output)
{
    if (output && output->pb)
        avio_closep(&output->pb);
    avformat_free_context(output);
}

struct ClosingOutput
{
    void operator()(AVFormatContext* output) const { closeOutput(output); }
};

struct FreeingScaler
{
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};

using Output = std::unique_ptr<AVFormatContext, ClosingOutput>;
using Input = std::unique_ptr<AVFormatContext, Freeing<AVFormatContext, avformat_close_input>>;
using Encoder = std::unique_ptr<AVCodecContext, Freeing<AVCodecContext, avcodec_free_context>>;
using Frame = std::unique_ptr<AVFrame, Freeing<AVFrame, av_frame_free>>;
using Packet = std::unique_ptr<AVPacket, Freeing<AVPacket, av_packet_free>>;
using Scaler = std::unique_ptr<SwsContext, FreeingScaler>;

std::string nativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// An output in the container that the path's suffix names, its file open for writing.
Output openOutput(const QString& path)
{
    AVFormatContext* context = nullptr;
    const std::string native = nativePath(path);
    if (avformat_alloc_output_context2(&context, nullptr, nullptr, native.c_str()) < 0)
        return nullptr;
    Output output(context);
    if (avio_open(&output->pb, native.c_str(), AVIO_FLAG_WRITE) < 0)
        return nullptr;
    return output;
}

// The tag where the container knows it for MPEG-4 Part 2, else the container's own choice.
unsigned int streamTag(const AVOutputFormat* format, const QString& codec)
{
    const QByteArray c = codec.toLatin1().leftJustified(4, ' ', true);
    const unsigned int tag = MKTAG(c[0], c[1], c[2], c[3]);
    return format->codec_tag && av_codec_get_id(format->codec_tag, tag) == AV_CODEC_ID_MPEG4 ? tag : 0;
}

Encoder openEncoder(const AVFormatContext* output, double frameRate, cv::Size size)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    Encoder encoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!encoder)
        return nullptr;
    const AVRational rate = av_d2q(frameRate, largestRateTerm);
    encoder->width = size.width;
    encoder->height = size.height;
    encoder->framerate = rate;
    encoder->time_base = av_inv_q(rate);
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->gop_size = keyFrameInterval;
    encoder->qmin = 3;
    encoder->bit_rate = int64_t(std::min(bitsPerPixel * frameRate * size.area(), double(INT_MAX)));
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0)
        return nullptr;
    return encoder;
}

// Whether the container is an MP4 (or QuickTime) one, which is then written in fragments.
bool takesFragments(const AVFormatContext* output)
{
    return av_opt_find(output->priv_data, "movflags", nullptr, 0, 0) != nullptr;
}

bool writeHeader(AVFormatContext* output, bool fragmented)
{
    AVDictionary* options = nullptr;
    if (fragmented)
        av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    const bool written = avformat_write_header(output, &options) >= 0;
    av_dict_free(&options);
    return written;
}

// Whether the file system holding `path` has room for `bytes` and the reserve; a file system
// that does not say is taken to have it.
bool hasRoom(const StorageSpace::Reader& space, const QString& path, quint64 bytes)
{
    const StorageSpace::Reading reading = space(path);
    return reading.error == 0 && (!reading.availableBytes || *reading.availableBytes >= bytes + reservedBytes);
}

// Copies the one stream of `source` into `destination`, in the layout its suffix names, while
// `roomLeft` says the disk has room.
bool remux(const QString& source, const QString& destination, const std::function<bool()>& roomLeft)
{
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, nativePath(source).c_str(), nullptr, nullptr) < 0)
        return false;
    const Input input(opened);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    const Output output = openOutput(destination);
    AVStream* to = output && input->nb_streams == 1 ? avformat_new_stream(output.get(), nullptr) : nullptr;
    const AVStream* from = input->nb_streams == 1 ? input->streams[0] : nullptr;
    if (!to || avcodec_parameters_copy(to->codecpar, from->codecpar) < 0)
        return false;
    to->time_base = from->time_base;
    to->avg_frame_rate = from->avg_frame_rate;
    const Packet packet(av_packet_alloc());
    if (!packet || avformat_write_header(output.get(), nullptr) < 0)
        return false;
    int read = 0;
    while ((read = av_read_frame(input.get(), packet.get())) >= 0) {
        if (!roomLeft())
            return false;
        av_packet_rescale_ts(packet.get(), from->time_base, to->time_base);
        packet->stream_index = to->index;
        packet->pos = -1;
        if (av_interleaved_write_frame(output.get(), packet.get()) < 0)
            return false;
    }
    return read == AVERROR_EOF && av_write_trailer(output.get()) >= 0 && avio_closep(&output->pb) >= 0;
}

// The duration in the movie header at the start of a fragmented MP4, kept to what the fragments
// on disk hold. The header is written before any frame, so it says 0; FFmpeg reads the length
// of a fragmented file from its fragments, but GStreamer takes it from there, and a killed
// recording would seem to end after its first fragments.
class MovieDuration
{
public:
    // Finds the field in the file's header, already written.
    bool locate(const QString& path)
    {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            return false;
        const QByteArray head = file.read(4096);
        qint64 end = head.size();
        for (qint64 box = 0; box + 16 <= end;) {
            const quint32 size = qFromBigEndian<quint32>(head.constData() + box);
            const QByteArray type = head.mid(box + 4, 4);
            if (type == "moov") {
                end = std::min(box + qint64(size), end);
                box += 8; // into its boxes, the movie header first
            } else if (type == "mvhd") {
                return place(head, box);
            } else if (size < 8) {
                break;
            } else {
                box += size;
            }
        }
        return false;
    }

    void set(int64_t frames, AVRational frameDuration)
    {
        if (offset < 0)
            return;
        const quint64 duration = quint64(av_rescale_q(frames, frameDuration, AVRational{1, int(timescale)}));
        QByteArray field(width, Qt::Uninitialized);
        if (width == 8)
            qToBigEndian<quint64>(duration, field.data());
        else
            qToBigEndian<quint32>(quint32(std::min<quint64>(duration, 0xFFFFFFFEu)), field.data());
        // A hint for players: the video is whole without it.
        if (file.seek(offset))
            file.write(field);
    }

private:
    // Version 1 of the header has 64-bit times, version 0 32-bit ones; the time scale follows
    // the creation and modification times, the duration the time scale.
    bool place(const QByteArray& head, qint64 box)
    {
        width = head.at(box + 8) == 1 ? 8 : 4;
        const qint64 scaleAt = box + 12 + 2 * width;
        if (scaleAt + 4 + width > head.size())
            return false;
        timescale = qFromBigEndian<quint32>(head.constData() + scaleAt);
        offset = timescale > 0 && timescale <= quint32(INT_MAX) ? scaleAt + 4 : -1;
        return offset >= 0;
    }

    QFile file;
    qint64 offset = -1;
    int width = 4;
    quint32 timescale = 0;
};

} // namespace

struct FragmentedVideoWriter::State
{
    QString path;
    Output output;
    Encoder encoder;
    AVStream* stream = nullptr;
    Scaler scaler;
    Frame picture;
    Packet packet;
    int64_t nextFrame = 0;
    bool fragmented = false;
    MovieDuration movieDuration;
    bool failed = false;

    // Hands a frame to the encoder (none: the end) and writes what it gives back, on to the
    // disk: a fragment the muxer completes is left in no buffer of this process.
    bool encode(const AVFrame* frame)
    {
        int result = avcodec_send_frame(encoder.get(), frame);
        std::optional<int64_t> completeFrames;
        while (result >= 0) {
            result = avcodec_receive_packet(encoder.get(), packet.get());
            if (result < 0)
                break;
            // A key frame begins a fragment, which completes the frames before it.
            if (packet->flags & AV_PKT_FLAG_KEY)
                completeFrames = packet->pts;
            av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            result = av_interleaved_write_frame(output.get(), packet.get());
        }
        avio_flush(output->pb);
        const bool encoded = (result == AVERROR(EAGAIN) || result == AVERROR_EOF) && output->pb->error >= 0;
        failed = failed || !encoded;
        if (encoded && completeFrames)
            movieDuration.set(*completeFrames, encoder->time_base);
        return encoded;
    }
};

FragmentedVideoWriter::FragmentedVideoWriter() = default;

FragmentedVideoWriter::~FragmentedVideoWriter()
{
    release();
}

bool FragmentedVideoWriter::open(const QString& path, double frameRate, cv::Size size, const QString& codec)
{
    release();
    auto opened = std::make_unique<State>();
    opened->path = path;
    opened->output = openOutput(path);
    if (!opened->output || !(frameRate > 0) || size.empty())
        return false;
    opened->encoder = openEncoder(opened->output.get(), frameRate, size);
    opened->stream = opened->encoder ? avformat_new_stream(opened->output.get(), nullptr) : nullptr;
    if (!opened->stream || avcodec_parameters_from_context(opened->stream->codecpar, opened->encoder.get()) < 0)
        return false;
    opened->stream->codecpar->codec_tag = streamTag(opened->output->oformat, codec);
    opened->stream->time_base = opened->encoder->time_base;
    opened->stream->avg_frame_rate = opened->encoder->framerate;
    opened->fragmented = takesFragments(opened->output.get());
    if (!writeHeader(opened->output.get(), opened->fragmented))
        return false;
    avio_flush(opened->output->pb);
    if (opened->fragmented && !opened->movieDuration.locate(path))
        return false;
    opened->scaler.reset(sws_getContext(size.width, size.height, AV_PIX_FMT_BGR24, size.width, size.height,
                                        AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    opened->picture.reset(av_frame_alloc());
    opened->packet.reset(av_packet_alloc());
    if (!opened->scaler || !opened->picture || !opened->packet)
        return false;
    opened->picture->format = AV_PIX_FMT_YUV420P;
    opened->picture->width = size.width;
    opened->picture->height = size.height;
    if (av_frame_get_buffer(opened->picture.get(), 0) < 0)
        return false;
    state = std::move(opened);
    return true;
}

bool FragmentedVideoWriter::isOpened() const
{
    return state != nullptr;
}

bool FragmentedVideoWriter::write(const cv::Mat& frame)
{
    if (!state || state->failed || frame.type() != CV_8UC3 || frame.cols != state->picture->width
        || frame.rows != state->picture->height || av_frame_make_writable(state->picture.get()) < 0)
        return false;
    const uint8_t* const planes[] = {frame.data};
    const int strides[] = {int(frame.step)};
    sws_scale(state->scaler.get(), planes, strides, 0, frame.rows, state->picture->data, state->picture->linesize);
    state->picture->pts = state->nextFrame++;
    return state->encode(state->picture.get());
}

bool FragmentedVideoWriter::isFragmented() const
{
    return state && state->fragmented;
}

bool FragmentedVideoWriter::release()
{
    if (!state)
        return true;
    const std::unique_ptr<State> closing = std::move(state);
    const bool complete = !closing->failed && closing->encode(nullptr) && av_write_trailer(closing->output.get()) >= 0
                          && avio_closep(&closing->output->pb) >= 0;
    if (!complete) {
        GlobalConsole::writeItem(
            QStringLiteral("The video %1 could not be written to its end.").arg(closing->path.toHtmlEscaped()),
            QStringLiteral("Error"));
        return false;
    }
    closing->movieDuration.set(closing->nextFrame, closing->encoder->time_base);
    return true;
}

// The plain MP4 grows beside the fragments and then takes their place.
void FragmentedVideoWriter::makePlain(const QString& path, const StorageSpace::Reader& space)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString joined = VideoFileMover::freePath(path, folder, QStringLiteral("joined"));
    QString problem = QStringLiteral("its disk has no room for the copy");
    const auto roomLeft = [&] { return hasRoom(space, folder, 0); };
    if (hasRoom(space, folder, quint64(QFileInfo(path).size()))) {
        problem = QStringLiteral("it cannot be copied");
        if (remux(path, joined, roomLeft) && VideoFileMover::moveIntoPlace(joined, path, problem))
            return;
        if (!roomLeft())
            problem = QStringLiteral("its disk ran short of room during the copy");
    }
    QFile::remove(joined);
    GlobalConsole::writeItem(QStringLiteral("The video %1 is kept in fragments, which players read as well: %2.")
                                 .arg(path.toHtmlEscaped(), problem.toHtmlEscaped()),
                             QStringLiteral("Warning"));
}
