// The thumbnail page builder: "View All" and each "Next" build one page of up to 60 thumbnails of
// the main window's file list into the thumbnail window's main list and the current page list.
// The page's files come from planThumbnailPage; Back and Next from Form2::showPageButtons.
#include "app/form1.h"
#include "app/form11.h"
#include "app/number_format.h"
#include "app/program.h"
#include "forms/host.h"
#include "picture/image_scale.h"
#include "picture/picture_prefetcher.h"
#include "picture/thumbnail_cache.h"
#include "thumbs/form2.h"
#include "thumbs/module1.h"
#include "thumbs/thumbnail_pages.h"
#include "win/error.h"

#include <chrono>
#include <vector>

namespace plivora {

namespace {

constexpr int kThumbnailPixels = 60;
// While the next picture is still being decoded, the window's thread runs events this often.
constexpr std::chrono::milliseconds kEventsWhileWaiting{10};
// Where the host allows background work the pictures are decoded on two threads of their own
// (both cores) a few ahead, so that the window's thread only places them.
constexpr std::size_t kDecodeThreads = 2;
constexpr std::size_t kDecodeAhead = 4;

// Marks a page fill for as long as it runs: Back and Next are refused meanwhile (shown disabled,
// and their handlers ignore a click that arrives anyway), so that the page label, the buttons and
// the list shown cannot be changed under the fill. They are given back, as the page counters then
// say, on every way out: a page boundary, the last file, a newer fill or a folder change that
// ended this one, or an error of the steps that run unprotected.
class PageFillScope {
public:
    PageFillScope(Program& program, Form2& thumbs) : m_program(program), m_thumbs(thumbs) {
        m_program.fillingPage = true;
        m_thumbs.setPagesOfMainFolder(true);
    }
    ~PageFillScope() {
        m_program.fillingPage = false;
        m_thumbs.showPageButtons();
    }
    PageFillScope(const PageFillScope&) = delete;
    PageFillScope& operator=(const PageFillScope&) = delete;

private:
    Program& m_program;
    Form2& m_thumbs;
};

// Shows the thumbnail window maximised on its lists, the real-size and animation panels closed
// (and so the swap button shown, however the window was left).
void showThumbnailWindow(Form2& thumbs, const Picture& showAniGifFace) {
    thumbs.fraShadowImage.setVisible(false);
    thumbs.hideAnimationPanel();
    thumbs.setCaption("View All");
    thumbs.setWindowState(WindowState::Maximized);
    thumbs.show();
    const float listWidth = thumbs.width() - 600;
    const float listHeight = thumbs.height() - 360;
    thumbs.lvMain.move(480, 0, listWidth, listHeight);
    for (int k = 0; k < Form2::kPages; ++k) {
        thumbs.lvShadow(k).move(480, 0, listWidth, listHeight);
    }
    thumbs.cmdShowAniGif.setPicture(showAniGifFace);
}

// Empties the main list and the page's list, and their image lists, which then take icons of
// the thumbnail size.
void clearPageLists(Form2& thumbs, ListView& page, ImageList& pageIcons) {
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
}

// Adds the icon of the picture just loaded into imgShadow to both image lists, made once for
// both (the two lists have the same image size); a file that did not load, or whose icon failed,
// gets the error picture instead. The error kept in `errors` ends here.
void addIcons(Form2& thumbs, ImageList& pageIcons, const std::string& key, bool loaded,
              ErrorState& errors) {
    if (loaded) {
        Image icon;
        errors.run([&] { icon = thumbs.ilNormal.makeIcon(thumbs.imgShadow.picture()); });
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
}

// Adds the file's item to the main list and the page's list: its name and the size of its
// picture, now in imgShadow. A file whose picture did not load shows its name alone: imgShadow
// still holds the picture loaded before it, whose size is not this file's.
void addItems(Form2& thumbs, ListView& page, ImageList& pageIcons, const std::string& key,
              bool loaded, ErrorState& errors) {
    const Picture& picture = thumbs.imgShadow.picture();
    const std::string text =
        key + "\r\n" + (loaded ? pixelSizeText(picture.width(), picture.height()) : std::string());
    errors.run([&] { thumbs.lvMain.setIcons(&thumbs.ilNormal); });
    errors.run([&] { thumbs.lvMain.addItem(text, key); });
    errors.run([&] { page.setIcons(&pageIcons); });
    errors.run([&] { page.addItem(text, key); });
}

// The page counters once a page is built: it is the page shown, and either the next page starts
// after it or nothing is left to build.
void recordBuiltPage(Program& p, const ThumbnailPagePlan& plan, bool nextPageFollows) {
    p.intPagesBuilt = static_cast<std::int16_t>(p.intPagesBuilt + 1);
    p.intPageShown = p.intPagesBuilt;
    if (nextPageFollows) {
        p.intBuildPage = static_cast<std::int16_t>(plan.pageNumber);
        p.intNextFileIndex = static_cast<std::int16_t>(plan.last + 1);
    } else {
        p.intNextFileIndex = 1;
    }
}

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
    if (p.intNextFileIndex == 1) {
        // A fresh set of pages: none built yet, so Back and Next do not show, nor a page number.
        p.intPagesBuilt = 0;
        p.intBuildPage = 0;
        thumbs.showPageLabel(kNoPage);
    }
    const PageFillScope filling(p, thumbs);
    showThumbnailWindow(thumbs, imgShowAniGif.picture());
    ListView& page = thumbs.lvShadow(p.intBuildPage);
    ImageList& pageIcons = thumbs.ilShadowNor(p.intBuildPage);
    clearPageLists(thumbs, page, pageIcons);

    // From here on a failing step is skipped and the next one runs.
    ErrorState errors;
    const int count = File1.listCount();
    if (count == 0) {
        return;
    }
    const ThumbnailPagePlan plan = planThumbnailPage(count, p.intNextFileIndex);
    // The pictures of this page are decoded a few ahead on threads of their own where the host
    // allows it, while this thread places each one in list order, running events while it
    // waits for one and after each.
    std::vector<std::string> planned;
    for (int i = plan.first; i <= plan.last; ++i) {
        planned.push_back(p.sCurPath + File1.list(i - 1));
    }
    // Each picture comes through the desktop's thumbnail cache: one whose thumbnail was made
    // before is not decoded at all. The icons are made at the device size.
    const ThumbnailCache& cache = p.thumbnailCache();
    const PixelSize iconPixels = thumbs.ilNormal.deviceImageSize();
    PicturePrefetcher pictures(
        std::move(planned), host().allowsBackgroundWork(),
        [&cache, iconPixels](const std::string& path) {
            return cache.loadPicture(path, iconPixels.width, iconPixels.height);
        },
        kDecodeAhead, kDecodeThreads);

    // The page's end is planned once; the entries are read at each position, as they are then
    // (the handlers that DoEvents runs may change the list under a page fill). A folder change
    // ends the fill (it is no longer this folder's list); a list that became shorter in the same
    // folder ends the page at its new end, with no page after it, instead of placing items
    // without a file.
    bool listEnded = false;
    for (int i = plan.first; i <= plan.last; ++i) {
        while (!pictures.waitFor(static_cast<std::size_t>(i - plan.first), kEventsWhileWaiting)) {
            host().doEvents();
            if (generation != p.thumbnailFillGeneration) {
                return;  // a newer fill or a folder change, as below
            }
        }
        if (i > File1.listCount()) {
            listEnded = true;
            break;
        }
        const std::string key = File1.list(i - 1);
        bool loaded = false;
        errors.run([&] {
            thumbs.imgShadow.setPicture(
                pictures.take(static_cast<std::size_t>(i - plan.first), p.sCurPath + key));
            loaded = true;
        });
        addIcons(thumbs, pageIcons, key, loaded, errors);
        addItems(thumbs, page, pageIcons, key, loaded, errors);
        host().doEvents();
        if (generation != p.thumbnailFillGeneration) {
            // A newer fill (View All pressed meanwhile) owns the lists now, or the main window's
            // folder changed.
            return;
        }
    }
    if (!listEnded && plan.last == kMostThumbnailFiles && File1.listCount() > kMostThumbnailFiles) {
        p.form11().AnswerOk(
            "Not support more than 300 image files, please move some image files to another "
            "directory!");
    }
    recordBuiltPage(p, plan, plan.hasNextPage && !listEnded);
}

}  // namespace plivora
