// The thumbnail page builder: "View All" and each "Next" build one page of up to 60 thumbnails of
// the main window's file list into the thumbnail window's main list and the current page list.
#include "app/form1.h"
#include "app/form11.h"
#include "app/number_format.h"
#include "app/program.h"
#include "forms/host.h"
#include "thumbs/form2.h"
#include "thumbs/module1.h"
#include "win/error.h"
#include "win/image_scale.h"
#include "win/picture_prefetcher.h"
#include "win/thumbnail_cache.h"

#include <algorithm>
#include <vector>

namespace plivora {

namespace {

constexpr int kThumbnailsPerPage = 60;
constexpr int kMostFiles = 300;
constexpr int kThumbnailPixels = 60;

// Marks a page fill for as long as it runs: Back and Next are refused meanwhile (shown disabled,
// and their handlers ignore a click that arrives anyway), so that the page label, the buttons and
// the list shown cannot be changed under the fill. They are given back on every way out: a page
// boundary, the last file, a newer fill or a folder change that ended this one, or an error of
// the steps that run unprotected.
class PageFillScope {
public:
    PageFillScope(Program& program, Form2& thumbs) : m_program(program), m_thumbs(thumbs) {
        m_program.fillingPage = true;
        m_thumbs.cmdPrevious.setEnabled(false);
        m_thumbs.cmdNextPage.setEnabled(false);
    }
    ~PageFillScope() {
        m_program.fillingPage = false;
        m_thumbs.cmdPrevious.setEnabled(true);
        m_thumbs.cmdNextPage.setEnabled(true);
    }
    PageFillScope(const PageFillScope&) = delete;
    PageFillScope& operator=(const PageFillScope&) = delete;

private:
    Program& m_program;
    Form2& m_thumbs;
};

}  // namespace

void Form1::cmdViewAll_Click() {
    m_program.intNextFileIndex = 1;
    ViewAllImages();
}

void Form1::ViewAllImages() {
    Program& p = m_program;
    const int generation = ++p.thumbnailFillGeneration;
    p.sThumbPath = p.sCurPath;
    ShowMainList(p, kTrue);
    Form2& thumbs = p.form2();
    const PageFillScope filling(p, thumbs);
    if (p.intNextFileIndex == 1) {
        p.intPagesBuilt = 0;
        p.intBuildPage = 0;
        thumbs.cmdPrevious.setVisible(false);
        thumbs.cmdNextPage.setVisible(false);
        thumbs.lblPageNumber.setCaption("");
    }
    thumbs.fraShadowImage.setVisible(false);
    thumbs.fraAniGif.setVisible(false);
    thumbs.setCaption("View All");
    thumbs.setWindowState(WindowState::Maximized);
    thumbs.show();
    const float listWidth = thumbs.width() - 600;
    const float listHeight = thumbs.height() - 360;
    thumbs.lvMain.move(480, 0, listWidth, listHeight);
    for (int k = 0; k < Form2::kPages; ++k) {
        thumbs.lvShadow(k).move(480, 0, listWidth, listHeight);
    }
    thumbs.cmdShowAniGif.setPicture(imgShowAniGif.picture());

    ListView& page = thumbs.lvShadow(p.intBuildPage);
    ImageList& pageIcons = thumbs.ilShadowNor(p.intBuildPage);
    thumbs.lvMain.clearItems();
    thumbs.lvMain.setIcons(nullptr);
    thumbs.ilNormal.clear();
    page.clearItems();
    page.setIcons(nullptr);
    pageIcons.clear();
    for (ImageList* icons : {&thumbs.ilNormal, &pageIcons}) {
        icons->setImageWidth(kThumbnailPixels);
        icons->setImageHeight(kThumbnailPixels);
    }

    // From here on a failing step is skipped and the next one runs.
    ErrorState errors;
    const int count = File1.listCount();
    if (count == 0) {
        return;
    }
    const auto finish = [&] {
        p.intPagesBuilt = static_cast<std::int16_t>(p.intPagesBuilt + 1);
        p.intPageShown = p.intPagesBuilt;
        p.intNextFileIndex = 1;
        thumbs.cmdNextPage.setVisible(false);
        if (p.intPagesBuilt > 1) {
            thumbs.cmdPrevious.setVisible(true);
        }
    };
    // The pictures of this page are decoded a few ahead on a second thread where the host allows
    // it, while this thread places each one in list order and lets events run after each.
    const int first = p.intNextFileIndex;
    const int last =
        std::min(count, std::min(kMostFiles, (first - 1) / kThumbnailsPerPage * kThumbnailsPerPage +
                                                 kThumbnailsPerPage));
    std::vector<std::string> planned;
    for (int i = first; i <= last; ++i) {
        planned.push_back(p.sCurPath + File1.list(i - 1));
    }
    // Each picture comes through the desktop's thumbnail cache: one whose thumbnail was made
    // before is not decoded at all.
    const ThumbnailCache& cache = p.thumbnailCache();
    PicturePrefetcher pictures(
        std::move(planned), host().allowsBackgroundWork(), [&cache](const std::string& path) {
            return cache.loadPicture(path, kThumbnailPixels, kThumbnailPixels);
        });

    // The loop's end is taken once; the entries are read at each position, as they are then (the
    // handlers that DoEvents runs may change the list under a page fill). A folder change ends the
    // fill (it is no longer this folder's list); a list that became shorter in the same folder
    // ends the page at its new end instead of placing items without a file.
    for (int i = first; i <= count; ++i) {
        if (i > File1.listCount()) {
            break;
        }
        const std::string key = File1.list(i - 1);
        bool loaded = false;
        errors.run([&] {
            thumbs.imgShadow.setPicture(
                pictures.take(static_cast<std::size_t>(i - first), p.sCurPath + key));
            loaded = true;
        });
        if (loaded) {
            // Scaled once for both lists.
            Image icon;
            errors.run([&] {
                icon = scaleImage(
                    thumbs.imgShadow.picture().imageForSize(kThumbnailPixels, kThumbnailPixels),
                    kThumbnailPixels, kThumbnailPixels);
            });
            if (!errors.hasError()) {
                errors.run([&] { thumbs.ilNormal.addImage(key, icon); });
                errors.run([&] { pageIcons.addImage(key, std::move(icon)); });
            }
        }
        if (errors.hasError()) {
            for (ImageList* icons : {&thumbs.ilNormal, &pageIcons}) {
                if (!icons->contains(key)) {
                    errors.run([&] { icons->add(key, thumbs.imgErrorPicture.picture()); });
                }
            }
            errors.clear();
        }
        const std::string text =
            key + "\r\n" +
            pixelSizeText(thumbs.imgShadow.picture().width(), thumbs.imgShadow.picture().height());
        errors.run([&] { thumbs.lvMain.setIcons(&thumbs.ilNormal); });
        errors.run([&] { thumbs.lvMain.addItem(text, key); });
        errors.run([&] { page.setIcons(&pageIcons); });
        errors.run([&] { page.addItem(text, key); });
        host().doEvents();
        if (generation != p.thumbnailFillGeneration) {
            // A newer fill (View All pressed meanwhile) owns the lists now, or the main window's
            // folder changed.
            return;
        }

        if (i % kThumbnailsPerPage == 0 && i < kMostFiles) {
            if (i == count) {
                finish();
                return;
            }
            p.intPagesBuilt = static_cast<std::int16_t>(p.intPagesBuilt + 1);
            p.intPageShown = p.intPagesBuilt;
            p.intBuildPage = static_cast<std::int16_t>(i / kThumbnailsPerPage);
            p.intNextFileIndex = static_cast<std::int16_t>(i + 1);
            thumbs.cmdNextPage.setVisible(true);
            if (p.intBuildPage >= 2) {
                thumbs.cmdPrevious.setVisible(true);
            }
            return;
        }
        if (i == kMostFiles) {
            if (File1.listCount() > kMostFiles) {
                p.form11().AnswerOk(
                    "Not support more than 300 image files, please move some image files to "
                    "another "
                    "directory!");
            }
            break;
        }
    }
    finish();
}

}  // namespace plivora
