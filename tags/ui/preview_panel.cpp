#include "tags/ui/preview_panel.h"

#include "document/vantle_doc.h"
#include "page/text_util.h"
#include "page/ui/qt_text.h"
#include "shell/settings_store.h"
#include "tags/ui/preview_texts.h"
#include "tags/ui/vantle_view.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace orlen {

namespace {

constexpr int kCardMargin = 16;
// The widths the cards are drawn at: a desktop result column, a phone.
constexpr int kDesktopCardWidth = 600;
constexpr int kMobileCardWidth = 380;
constexpr int kSocialCardWidth = 500;
constexpr int kSocialImageHeight = 262; // 1.91 : 1, as the platforms crop
// The images a card shows are read at most this large.
constexpr int kLargestImageSide = 4096;

const QColor kResultTitleColour(26, 13, 171);
const QColor kResultTextColour(77, 81, 86);
const QColor kSiteNameColour(32, 33, 36);
const QColor kCardBorder(218, 220, 224);
const QColor kCardBand(242, 243, 245);
const QColor kPlaceholder(229, 231, 235);
const QColor kFine(24, 128, 56);
const QColor kClose(178, 106, 0);
const QColor kOver(197, 34, 31);

QFont PixelFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setKerning(false); // the widths the checks measure have none
    return font;
}

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor ColourOf(CounterLevel level) {
    return level == CounterLevel::Over ? kOver : level == CounterLevel::Close ? kClose : kFine;
}

QString Fill(std::string_view pattern, const QStringList& values) {
    QString text = ToQString(pattern);
    for (const QString& value : values) {
        text = text.arg(value);
    }
    return text;
}

} // namespace

// The entry on a search-result page: site, breadcrumb, title, description.
class CSearchResultCard : public QWidget {
public:
    explicit CSearchResultCard(CPreviewPanel& panel) : QWidget(&panel), panel_(panel) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    int CardWidth() const { return panel_.mobile_ ? kMobileCardWidth : kDesktopCardWidth; }
    QSize sizeHint() const override { return {CardWidth() + 2, Layout().bottom}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const Boxes b = Layout();
        p.fillRect(QRect(0, 0, CardWidth() + 2, b.bottom), Qt::white);
        p.setPen(kCardBorder);
        p.drawRoundedRect(QRectF(0.5, 0.5, CardWidth() + 1, b.bottom - 1), 8, 8);
        // A round mark with the site's first letter, where a site icon goes.
        const QString site = Utf8(panel_.siteName_);
        p.setPen(Qt::NoPen);
        p.setBrush(kPlaceholder);
        p.drawEllipse(QRect(kCardMargin, kCardMargin, 28, 28));
        p.setPen(kResultTextColour);
        p.setFont(PixelFont(14, true));
        p.drawText(QRect(kCardMargin, kCardMargin, 28, 28), Qt::AlignCenter,
                   site.isEmpty() ? QStringLiteral("?") : site.left(1).toUpper());
        const int textLeft = kCardMargin + 40;
        const int textWidth = CardWidth() - textLeft - kCardMargin;
        p.setFont(PixelFont(14));
        p.setPen(kSiteNameColour);
        p.drawText(QRect(textLeft, kCardMargin - 1, textWidth, 18),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(site, Qt::ElideRight, textWidth));
        p.setFont(PixelFont(12));
        p.setPen(kResultTextColour);
        p.drawText(
            QRect(textLeft, kCardMargin + 17, textWidth, 16), Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(p.font()).elidedText(Utf8(panel_.crumb_), Qt::ElideRight, textWidth));
        p.setFont(PixelFont(20));
        p.setPen(kResultTitleColour);
        p.drawText(b.title, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, TitleText());
        p.setFont(PixelFont(14));
        p.setPen(kResultTextColour);
        p.drawText(b.description, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   DescriptionText());
    }

private:
    struct Boxes {
        QRect title;
        QRect description;
        int bottom;
    };
    QString TitleText() const {
        const QString title = Utf8(panel_.title_.text);
        return title.isEmpty() ? ToQString(preview_texts::kNoTitle) : title;
    }
    QString DescriptionText() const {
        const QString text = Utf8(panel_.description_.text);
        return text.isEmpty() ? ToQString(preview_texts::kNoDescription) : text;
    }
    Boxes Layout() const {
        const int width = CardWidth() - 2 * kCardMargin;
        const QRect bounds(kCardMargin, 0, width, 10000);
        const int titleTop = kCardMargin + 42;
        const QRect title =
            QFontMetrics(PixelFont(20))
                .boundingRect(bounds, Qt::AlignLeft | Qt::TextWordWrap, TitleText());
        const QRect description =
            QFontMetrics(PixelFont(14))
                .boundingRect(bounds, Qt::AlignLeft | Qt::TextWordWrap, DescriptionText());
        Boxes b;
        b.title = QRect(kCardMargin, titleTop, width, title.height());
        b.description = QRect(kCardMargin, b.title.bottom() + 6, width, description.height());
        b.bottom = b.description.bottom() + kCardMargin;
        return b;
    }
    CPreviewPanel& panel_;
};

// The card a shared link shows: the image, then site, title, description.
class CSocialCard : public QWidget {
public:
    explicit CSocialCard(CPreviewPanel& panel) : QWidget(&panel), panel_(panel) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {kSocialCardWidth + 2, kSocialImageHeight + 92}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF outline(0.5, 0.5, kSocialCardWidth + 1, height() - 1);
        QPainterPath clip;
        clip.addRoundedRect(outline, 10, 10);
        p.setClipPath(clip);
        p.fillRect(rect(), kCardBand);
        const QRect image(0, 0, kSocialCardWidth + 2, kSocialImageHeight);
        if (!panel_.cardImage_.isNull()) {
            // Cropped to fill the frame, as the platforms show it.
            const QImage& source = panel_.cardImage_;
            const QSize scaled = source.size().scaled(image.size(), Qt::KeepAspectRatioByExpanding);
            const QRect target(image.center().x() - scaled.width() / 2 + 1,
                               image.center().y() - scaled.height() / 2 + 1, scaled.width(),
                               scaled.height());
            p.save();
            p.setClipRect(image, Qt::IntersectClip);
            p.drawImage(target, source);
            p.restore();
        } else {
            p.fillRect(image, kPlaceholder);
            p.setPen(kResultTextColour);
            p.setFont(PixelFont(13));
            p.drawText(image.adjusted(24, 24, -24, -24),
                       Qt::AlignCenter | Qt::TextWordWrap | Qt::TextWrapAnywhere,
                       panel_.imageNote_);
        }
        const int left = 12;
        const int width = kSocialCardWidth - 2 * left;
        int y = kSocialImageHeight + 10;
        p.setPen(kResultTextColour);
        p.setFont(PixelFont(12));
        p.drawText(QRect(left, y, width, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(Utf8(panel_.card_.siteName).toUpper(),
                                                     Qt::ElideRight, width));
        y += 20;
        p.setPen(kSiteNameColour);
        p.setFont(PixelFont(16, true));
        const QString title = Utf8(panel_.card_.title);
        p.drawText(QRect(left, y, width, 22), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(
                       title.isEmpty() ? ToQString(preview_texts::kNoTitle) : title, Qt::ElideRight,
                       width));
        y += 24;
        p.setPen(kResultTextColour);
        p.setFont(PixelFont(14));
        p.drawText(QRect(left, y, width, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(p.font()).elidedText(Utf8(panel_.card_.description), Qt::ElideRight,
                                                     width));
        p.setClipping(false);
        p.setPen(kCardBorder);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(outline, 10, 10);
    }

private:
    CPreviewPanel& panel_;
};

CPreviewPanel::CPreviewPanel(CVantleView& view, const CVantleDoc& doc, SettingsStore& settings,
                             QWidget* parent)
    : QWidget(parent), view_(view), doc_(doc), settings_(settings),
      limits_(AuditLimits::Load(settings)),
      mobile_(settings.GetSettingInt(preview_texts::kSection, preview_texts::kMobileEntry, 0) !=
              0) {
    setObjectName(QStringLiteral("previewPanel"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(248, 249, 250));
    setPalette(palette);

    auto* heading = new QLabel(ToQString(preview_texts::kSearchHeading), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    desktopButton_ = new QToolButton(this);
    desktopButton_->setText(ToQString(preview_texts::kDesktop));
    desktopButton_->setToolTip(ToQString(preview_texts::kDesktopTip));
    desktopButton_->setCheckable(true);
    mobileButton_ = new QToolButton(this);
    mobileButton_->setText(ToQString(preview_texts::kMobile));
    mobileButton_->setToolTip(ToQString(preview_texts::kMobileTip));
    mobileButton_->setCheckable(true);
    connect(desktopButton_, &QToolButton::clicked, this, [this] { SetMobile(false); });
    connect(mobileButton_, &QToolButton::clicked, this, [this] { SetMobile(true); });
    auto* top = new QHBoxLayout;
    top->addWidget(heading);
    top->addStretch(1);
    top->addWidget(desktopButton_);
    top->addWidget(mobileButton_);

    result_ = new CSearchResultCard(*this);
    titleCounter_ = new QLabel(this);
    descriptionCounter_ = new QLabel(this);
    auto* cardHeading = new QLabel(ToQString(preview_texts::kCardHeading), this);
    cardHeading->setFont(bold);
    social_ = new CSocialCard(*this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8, 12, 12);
    layout->addLayout(top);
    layout->addWidget(result_);
    layout->addWidget(titleCounter_);
    layout->addWidget(descriptionCounter_);
    layout->addSpacing(12);
    layout->addWidget(cardHeading);
    layout->addWidget(social_);
    layout->addStretch(1);

    connect(&view_, &CVantleView::ValuesChanged, this, &CPreviewPanel::Refresh);
    connect(&view_, &CVantleView::AuditLimitsChanged, this, &CPreviewPanel::ReloadLimits);
    SetMobile(mobile_);
    Refresh();
}

void CPreviewPanel::SetMobile(bool mobile) {
    if (mobile != mobile_) {
        mobile_ = mobile;
        settings_.WriteSettingInt(preview_texts::kSection, preview_texts::kMobileEntry,
                                  mobile ? 1 : 0);
    }
    desktopButton_->setChecked(!mobile_);
    mobileButton_->setChecked(mobile_);
    Recompute();
}

void CPreviewPanel::ReloadLimits() {
    limits_ = AuditLimits::Load(settings_);
    Recompute();
}

SnippetWidths CPreviewPanel::Widths() const {
    return mobile_ ? kMobileWidths : DesktopWidths(limits_);
}

void CPreviewPanel::Refresh() {
    PreviewContent content;
    CardSource& c = content.card;
    const auto value = [this](std::string_view name, int kind) {
        return view_.ValueOf(name, kind).toStdString();
    };
    c.title = view_.RowValue(0).toStdString();
    c.description = value("description", kMetaName);
    c.ogTitle = value("og:title", kMetaProperty);
    c.ogDescription = value("og:description", kMetaProperty);
    c.ogImage = value("og:image", kMetaProperty);
    c.ogSiteName = value("og:site_name", kMetaProperty);
    c.ogUrl = value("og:url", kMetaProperty);
    c.twitterTitle = value("twitter:title", kMetaName);
    c.twitterDescription = value("twitter:description", kMetaName);
    c.twitterImage = value("twitter:image", kMetaName);
    c.canonical = value("canonical", kLinkItem);
    c.siteFolder = doc_.GetProjectDirectory();
    content.pagePath = doc_.GetPathName();
    SetContent(content);
}

void CPreviewPanel::SetContent(const PreviewContent& content) {
    content_ = content;
    Recompute();
}

void CPreviewPanel::Recompute() {
    const SnippetWidths widths = Widths();
    const CardSource& c = content_.card;
    title_ = FitToPixels(c.title, kTitlePixelSize, widths.titlePixels);
    description_ = FitToPixels(c.description, kDescriptionPixelSize, widths.descriptionPixels);
    crumb_ = Breadcrumb(c.canonical, content_.pagePath, c.siteFolder);
    card_ = ComposeCard(c);
    siteName_ = card_.siteName;
    LoadImage(card_.image, content_.pagePath);

    titleCounter_->setText(TitleCounter());
    descriptionCounter_->setText(DescriptionCounter());
    const auto colour = [](QLabel* label, CounterLevel level) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ColourOf(level));
        label->setPalette(palette);
    };
    colour(titleCounter_, TitleLevel());
    colour(descriptionCounter_, DescriptionLevel());
    result_->updateGeometry();
    result_->resize(result_->sizeHint());
    result_->update();
    social_->update();
}

QString CPreviewPanel::TitleCounter() const {
    return Fill(preview_texts::kTitleCounter,
                {QString::number(title_.chars), QString::number(title_.pixels),
                 QString::number(Widths().titlePixels)});
}

QString CPreviewPanel::DescriptionCounter() const {
    return Fill(preview_texts::kDescriptionCounter,
                {QString::number(description_.chars), QString::number(description_.pixels),
                 QString::number(Widths().descriptionPixels)});
}

CounterLevel CPreviewPanel::TitleLevel() const {
    const CounterLevel chars = LevelOf(static_cast<int>(title_.chars), limits_.titleMaxChars,
                                       title_.chars == 0 ? 0 : limits_.titleMinChars);
    const CounterLevel pixels = LevelOf(title_.pixels, Widths().titlePixels);
    return std::max(chars, pixels);
}

CounterLevel CPreviewPanel::DescriptionLevel() const {
    const CounterLevel chars =
        LevelOf(static_cast<int>(description_.chars), limits_.descriptionMaxChars,
                description_.chars == 0 ? 0 : limits_.descriptionMinChars);
    const CounterLevel pixels = LevelOf(description_.pixels, Widths().descriptionPixels);
    return std::max(chars, pixels);
}

void CPreviewPanel::LoadImage(const std::string& image, const std::string& pagePath) {
    const QString named = Utf8(image);
    if (image.empty()) {
        cardImage_ = QImage();
        imageKey_.clear();
        imageNote_ = ToQString(preview_texts::kNoImage);
        return;
    }
    const std::string local = LocalImagePath(image, pagePath);
    if (local.empty()) {
        cardImage_ = QImage();
        imageKey_.clear();
        imageNote_ = Fill(preview_texts::kRemoteImage, {named});
        return;
    }
    const QString path = QString::fromStdString(local);
    const QFileInfo info(path);
    if (!info.isFile()) {
        cardImage_ = QImage();
        imageKey_.clear();
        imageNote_ = Fill(preview_texts::kMissingImage, {named});
        return;
    }
    // Read again only when another file is named or the file changed: a
    // keystroke elsewhere costs no image reading.
    const QString key = path + QLatin1Char('\n') +
                        QString::number(info.lastModified().toMSecsSinceEpoch()) +
                        QLatin1Char('\n') + QString::number(info.size());
    if (key == imageKey_) {
        return;
    }
    imageKey_ = key;
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kLargestImageSide || size.height() > kLargestImageSide)) {
        reader.setScaledSize(
            size.scaled(kLargestImageSide, kLargestImageSide, Qt::KeepAspectRatio));
    }
    cardImage_ = reader.read();
    imageNote_ = cardImage_.isNull() ? Fill(preview_texts::kUnreadableImage, {named}) : QString();
}

} // namespace orlen
