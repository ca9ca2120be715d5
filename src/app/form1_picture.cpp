// The main window's picture display: a file chosen in the list or dropped on it is loaded into
// the thumbnail window's imgShadow, fitted into the display area and described by the labels.
// The picture is decoded, and the animation control's frames after it, while the window runs
// events; a newer choice abandons the decode or the load at its next step.
#include <optional>

#include "app/form1.h"
#include "app/form11.h"
#include "app/number_format.h"
#include "app/program.h"
#include "forms/host.h"
#include "thumbs/form2.h"
#include "win/error.h"
#include "win/file_system.h"

namespace plivora {

namespace {

std::string pixelDimensions(const ImageControl& shadow) {
    return pixelSizeText(shadow.picture().width(), shadow.picture().height());
}

// The picture area's accessible name: the file on show and its size ("tall.jpg, 300 x 900").
std::string pictureAreaName(const std::string& name, const ImageControl& shadow) {
    return name + ", " + pixelDimensions(shadow);
}

}  // namespace

void Form1::File1_Click() {
    ShowListFile();
    planBrowseAhead();
}

void Form1::ShowListFile() {
    // The choice keeps the file chosen now: when it has to wait for a running one, it still shows
    // this file, whatever the list holds by the time it runs.
    const std::string folder = File1.path();
    const std::string name = File1.fileName();
    m_program.displayChoices.run([this, folder, name] { showChosenFile(folder, name); });
}

void Form1::showChosenFile(const std::string& folder, const std::string& name) {
    Program& program = m_program;
    program.sCurPath = folder;
    sFileName = name;
    program.sCurPath = withTrailingSlash(program.sCurPath);
    sPicturePath = program.sCurPath;
    sPictureFile = sFileName;
    const std::string fullName = program.sCurPath + sFileName;

    lblErrorMessage.setVisible(false);
    Form2& thumbnails = program.form2();
    try {
        std::optional<Picture> picture = loadListPicture(fullName);
        // A file chosen while the picture decoded is shown next; this one ends here, before
        // anything shows it.
        if (!picture) {
            return;
        }
        thumbnails.imgShadow.setPicture(*picture);
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::FileNotFound) {
            program.form11().AnswerOk("File not found, " + errorText(error));
            return;
        }
        imgShow.setWidth(kAreaWidth);
        imgShow.setHeight(kAreaHeight);
        imgShow.setStretch(false);
        lblErrorMessage.setCaption("Unidentified ''" + sFileName + "''");
        imgShow.setPicture(thumbnails.imgErrorPicture.picture());
        imgShow.setAccessibleName(lblErrorMessage.caption());
        lblErrorMessage.setVisible(true);
        // No frame of the previous animation stays over the placeholder.
        AnimatedGifCtl1.clearGif();
        return;
    }

    // The later steps each run even when an earlier one failed.
    ErrorState errors;
    errors.run([&] { AnimatedGifCtl1.LoadGif(true, fullName); });
    // The load let events run; a file chosen meanwhile ended it and is shown next, so this one
    // stops here rather than put its labels and caption beside the other's picture.
    if (program.displayChoices.superseded()) {
        return;
    }
    errors.run([&] { thumbnails.LetPathFile(fullName); });
    errors.run([&] { FitToArea(); });
    imgShow.setAccessibleName(pictureAreaName(sFileName, thumbnails.imgShadow));
    errors.run([&] { lblDimension.setCaption(pixelDimensions(thumbnails.imgShadow)); });
    errors.run([&] {
        lblFileSize.setCaption(
            formatThousands(fileLength(fullName), program.paths().thousandsSeparator) + " bytes");
    });
    errors.run([&] { setCaption(fullName); });
}

void Form1::FitToArea() {
    const ImageControl& shadow = m_program.form2().imgShadow;
    const float w = shadow.width();
    const float h = shadow.height();
    if (w > kAreaWidth || h > kAreaHeight) {
        const double rW = static_cast<double>(w) / kAreaWidth;
        const double rH = static_cast<double>(h) / kAreaHeight;
        if (rW > rH) {
            imgShow.setWidth(kAreaWidth);
            imgShow.setHeight(static_cast<float>(h / rW));
        } else {
            imgShow.setHeight(kAreaHeight);
            imgShow.setWidth(static_cast<float>(w / rH));
        }
        imgShow.setStretch(true);
        imgShow.setPicture(shadow.picture());
        lblRatio.setCaption("scale");
    } else {
        imgShow.setWidth(kAreaWidth);
        imgShow.setHeight(kAreaHeight);
        imgShow.setStretch(false);
        imgShow.setPicture(shadow.picture());
        lblRatio.setCaption("100%");
    }
}

bool Form1::ShowDroppedPicture(const std::string& p, const std::string& name) {
    Form2& thumbnails = m_program.form2();
    try {
        std::optional<Picture> picture = m_program.loadChosenPicture(p);
        // A choice made while the picture decoded is shown next; the drop ends here.
        if (!picture) {
            return false;
        }
        thumbnails.imgShadow.setPicture(*picture);
    } catch (const Error&) {
        lblErrorMessage.setCaption("Unidentified ''" + name + "''");
        lblErrorMessage.setVisible(true);
        return false;
    }
    // A dropped picture is shown everywhere a chosen one is: the animation control, the
    // thumbnail window and the picture's menu all refer to the picture on show.
    sPicturePath = p.substr(0, p.size() - name.size());
    sPictureFile = name;
    ErrorState errors;
    errors.run([&] { AnimatedGifCtl1.LoadGif(true, p); });
    // A choice made while the load let events run is shown next; the drop ends here.
    if (m_program.displayChoices.superseded()) {
        return false;
    }
    errors.run([&] { thumbnails.LetPathFile(p); });
    errors.run([&] { FitToArea(); });
    imgShow.setAccessibleName(pictureAreaName(name, thumbnails.imgShadow));
    errors.run([&] { lblDimension.setCaption(pixelDimensions(thumbnails.imgShadow)); });
    errors.run([&] {
        lblFileSize.setCaption(
            formatThousands(fileLength(p), m_program.paths().thousandsSeparator) + " bytes");
    });
    errors.run([&] { setCaption(p); });
    return true;
}

}  // namespace plivora
