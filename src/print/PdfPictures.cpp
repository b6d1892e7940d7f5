#include "PdfPictures.h"

#include "PdfStandIn.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The mark of a picture's stand-in.
constexpr char kMark[] = "VORLAP";

// The PNG predictor's Paeth guess of a byte from its left, upper and upper left neighbours.
int paeth(int left, int up, int upLeft) {
    const int guess = left + up - upLeft;
    const int toLeft = std::abs(guess - left), toUp = std::abs(guess - up),
              toUpLeft = std::abs(guess - upLeft);
    if (toLeft <= toUp && toLeft <= toUpLeft)
        return left;
    return toUp <= toUpLeft ? up : upLeft;
}

QPDFObjectHandle predictorParameters(size_t width, int colours) {
    QPDFObjectHandle parameters = QPDFObjectHandle::newDictionary();
    parameters.replaceKey("/Predictor", QPDFObjectHandle::newInteger(15));
    parameters.replaceKey("/Colors", QPDFObjectHandle::newInteger(colours));
    parameters.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    parameters.replaceKey("/Columns", QPDFObjectHandle::newInteger(qint64(width)));
    return parameters;
}

// An opaque 8-bit image's dictionary entries, on the stream given.
void describeImage(QPDFObjectHandle dict, size_t width, size_t height, bool gray) {
    dict.replaceKey("/Width", QPDFObjectHandle::newInteger(qint64(width)));
    dict.replaceKey("/Height", QPDFObjectHandle::newInteger(qint64(height)));
    dict.replaceKey("/ColorSpace", QPDFObjectHandle::newName(gray ? "/DeviceGray" : "/DeviceRGB"));
    dict.replaceKey("/BitsPerComponent", QPDFObjectHandle::newInteger(8));
    for (const char* key : {"/SMask", "/Mask", "/Decode", "/ImageMask"})
        dict.removeKey(key);
}

} // namespace

PdfPictures::~PdfPictures() {
    finish();
}

std::string PdfPictures::packRows(const unsigned char* pixels, size_t width, size_t height,
                                  size_t bytesPerPixel) {
    const size_t rowBytes = width * bytesPerPixel;
    std::string rows;
    rows.reserve((rowBytes + 1) * height);
    std::string candidate(rowBytes, '\0'), best;
    const std::vector<unsigned char> zeros(rowBytes, 0);
    for (size_t y = 0; y < height; ++y) {
        const unsigned char* row = pixels + y * rowBytes;
        const unsigned char* above = y > 0 ? row - rowBytes : zeros.data();
        long bestCost = -1;
        char bestFilter = 0;
        for (char filter = 0; filter <= 4; ++filter) {
            long cost = 0;
            for (size_t i = 0; i < rowBytes; ++i) {
                const int left = i >= bytesPerPixel ? row[i - bytesPerPixel] : 0;
                const int upLeft = i >= bytesPerPixel ? above[i - bytesPerPixel] : 0;
                int guess = 0;
                switch (filter) {
                case 1:
                    guess = left;
                    break;
                case 2:
                    guess = above[i];
                    break;
                case 3:
                    guess = (left + above[i]) / 2;
                    break;
                case 4:
                    guess = paeth(left, above[i], upLeft);
                    break;
                default:
                    break;
                }
                const auto difference = static_cast<signed char>(row[i] - guess);
                candidate[i] = char(difference);
                cost += std::abs(int(difference));
            }
            if (bestCost < 0 || cost < bestCost) {
                bestCost = cost;
                bestFilter = filter;
                best = candidate;
            }
        }
        rows += bestFilter;
        rows += best;
    }
    uLongf size = compressBound(uLong(rows.size()));
    std::string packed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
                  reinterpret_cast<const Bytef*>(rows.data()), uLong(rows.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    packed.resize(size);
    return packed;
}

void PdfPictures::pack(Packed& packed) {
    const QImage image = packed.picture.convertToFormat(QImage::Format_RGB32);
    packed.width = size_t(image.width());
    packed.height = size_t(image.height());
    const size_t count = packed.width * packed.height;
    std::vector<unsigned char> rgb(count * 3);
    bool gray = true;
    size_t at = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x, ++at) {
            const QRgb pixel = line[x];
            rgb[3 * at] = uchar(qRed(pixel));
            rgb[3 * at + 1] = uchar(qGreen(pixel));
            rgb[3 * at + 2] = uchar(qBlue(pixel));
            gray = gray && qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel);
        }
    }
    // A gray picture needs one channel.
    if (gray)
        for (size_t i = 0; i < count; ++i)
            rgb[i] = rgb[3 * i];
    packed.gray = gray;
    packed.colours = packRows(rgb.data(), packed.width, packed.height, gray ? 1 : 3);
}

void PdfPictures::work() {
    for (;;) {
        Packed* next = nullptr;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            next = queue_.front();
            queue_.pop_front();
        }
        pack(*next);
    }
}

QImage PdfPictures::standIn(const QImage& picture) {
    // Qt keeps one-bit pictures as they are, far smaller than eight-bit ones, and gives
    // transparent ones their mask.
    if (picture.depth() == 1 || picture.hasAlphaChannel() || picture.isNull())
        return picture;
    if (const auto known = numbers_.constFind(picture.cacheKey()); known != numbers_.constEnd())
        return pictures_[*known]->standIn;
    // Beyond the stand-ins' numbers, Qt stores the pictures itself.
    if (pictures_.size() >= PdfStandIn::kMostNumbers)
        return picture;
    const size_t number = pictures_.size();
    auto packed = std::make_unique<Packed>();
    packed->picture = picture;
    packed->standIn = PdfStandIn::make(kMark, number);
    // The main thread goes on drawing: the other processors pack, or one when there is one.
    if (workers_.empty()) {
        const unsigned helpers = std::max(2u, std::thread::hardware_concurrency()) - 1;
        for (unsigned i = 0; i < helpers; ++i)
            workers_.emplace_back([this] { work(); });
    }
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(packed.get());
    }
    changed_.notify_one();
    const QImage standIn = packed->standIn;
    numbers_.insert(picture.cacheKey(), pictures_.size());
    pictures_.push_back(std::move(packed));
    return standIn;
}

void PdfPictures::finish() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    // This thread packs what is still waiting too.
    work();
    for (std::thread& worker : workers_)
        worker.join();
    workers_.clear();
}

bool PdfPictures::replaceStandIns(QPDF& pdf) {
    finish();
    std::vector<bool> replaced(pictures_.size(), false);
    for (QPDFObjectHandle& object : pdf.getAllObjects()) {
        const std::optional<size_t> found = PdfStandIn::numberOf(object, kMark);
        if (!found)
            continue;
        const size_t number = *found;
        if (number >= pictures_.size())
            continue;
        const Packed& packed = *pictures_[number];
        // Not packed: the stand-in cannot stay.
        if (packed.colours.empty())
            return false;
        describeImage(object.getDict(), packed.width, packed.height, packed.gray);
        object.replaceStreamData(packed.colours, QPDFObjectHandle::newName("/FlateDecode"),
                                 predictorParameters(packed.width, packed.gray ? 1 : 3));
        replaced[number] = true;
    }
    return std::all_of(replaced.begin(), replaced.end(), [](bool done) { return done; });
}
