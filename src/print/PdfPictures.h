#pragma once

#include <QHash>
#include <QImage>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QPDF;

// The pictures of a label drawn into a PDF, stored losslessly behind PNG predictors, which
// shrink smooth pictures to a fraction of the plain deflate Qt gives them. While Qt draws,
// each picture is drawn as a small stand-in and packed on the other processors; once Qt is
// done, the stand-ins in its PDF are swapped for the packed pictures.
class PdfPictures {
public:
    PdfPictures() = default;
    PdfPictures(const PdfPictures&) = delete;
    PdfPictures& operator=(const PdfPictures&) = delete;
    ~PdfPictures();

    // What to draw in the picture's place: a stand-in image (the same one for the same
    // picture), or the picture itself when it is better left to Qt (one-bit or transparent).
    QImage standIn(const QImage& picture);
    // Swaps every stand-in in the PDF for its picture. Returns false, leaving the PDF unusable,
    // when one is missing or not as drawn.
    bool replaceStandIns(QPDF& pdf);
    bool empty() const { return pictures_.empty(); }

    // The rows of an 8-bit picture, each behind the PNG filter that leaves the smallest
    // differences, deflated.
    static std::string packRows(const unsigned char* pixels, size_t width, size_t height,
                                size_t bytesPerPixel);

private:
    struct Packed {
        QImage picture;
        QImage standIn;
        size_t width = 0;
        size_t height = 0;
        bool gray = false;
        // Empty when the picture could not be packed.
        std::string colours;
    };

    static void pack(Packed& picture);
    void work();
    void finish();

    std::vector<std::unique_ptr<Packed>> pictures_;
    // The number of each picture's stand-in, by the picture's cache key.
    QHash<qint64, size_t> numbers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Packed*> queue_;
    std::vector<std::thread> workers_;
    bool closing_ = false;
};
