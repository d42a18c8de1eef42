#include "app/exportimagedialog.h"

#include "canvas/scenepicture.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStringList>

#include <algorithm>

ExportImageDialog::ExportImageDialog(const QString& suggestedName, const QSize& canvasSize,
                                     const QSize& chosenSize, QWidget* parent)
    : QDialog(parent), canvasSize(canvasSize), nameEdit(new QLineEdit(suggestedName, this)),
      canvasSizeButton(new QRadioButton(
          QStringLiteral("Canvas, %1 x %2").arg(canvasSize.width()).arg(canvasSize.height()),
          this)),
      chosenSizeButton(new QRadioButton(QStringLiteral("Chosen:"), this)),
      widthBox(new QSpinBox(this)), heightBox(new QSpinBox(this)),
      buttons(new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(QStringLiteral("Export Image"));
    auto* browseButton = new QPushButton(QStringLiteral("Browse…"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(nameEdit, 1);
    fileRow->addWidget(browseButton);

    for (QSpinBox* box : {widthBox, heightBox}) {
        box->setRange(1, ScenePicture::kMaxEdge);
        box->setSuffix(QStringLiteral(" px"));
    }
    const QSize startSize = chosenSize.isValid() ? chosenSize : canvasSize;
    widthBox->setValue(startSize.width());
    heightBox->setValue(startSize.height());
    (chosenSize.isValid() ? chosenSizeButton : canvasSizeButton)->setChecked(true);
    auto* chosenRow = new QHBoxLayout;
    chosenRow->addWidget(chosenSizeButton);
    chosenRow->addWidget(widthBox);
    chosenRow->addWidget(new QLabel(QStringLiteral("x"), this));
    chosenRow->addWidget(heightBox);
    chosenRow->addStretch(1);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("File:"), fileRow);
    form->addRow(QString(), new QLabel(QStringLiteral("The extension chooses the format: .png, "
                                                      ".pdf or .svg."),
                                       this));
    form->addRow(QStringLiteral("Size:"), canvasSizeButton);
    form->addRow(QString(), chosenRow);
    form->addRow(QString(), new QLabel(QStringLiteral("A chosen size shows the canvas's view, "
                                                      "scaled to fit."),
                                       this));
    form->addRow(buttons);

    connect(browseButton, &QPushButton::clicked, this, &ExportImageDialog::browse);
    connect(nameEdit, &QLineEdit::textChanged, this, &ExportImageDialog::updateControls);
    connect(chosenSizeButton, &QRadioButton::toggled, this, &ExportImageDialog::updateControls);
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportImageDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    updateControls();
}

QString ExportImageDialog::fileName() const
{
    const QString name = nameEdit->text();
    if (ScenePicture::formatOf(name))
        return name;
    return name + QLatin1Char('.') + ScenePicture::extensionOf(ScenePicture::Format::Png);
}

QSize ExportImageDialog::pictureSize() const
{
    if (canvasSizeButton->isChecked())
        return canvasSize.boundedTo(QSize(ScenePicture::kMaxEdge, ScenePicture::kMaxEdge))
            .expandedTo(QSize(1, 1));
    return QSize(widthBox->value(), heightBox->value());
}

QSize ExportImageDialog::chosenSize() const
{
    return canvasSizeButton->isChecked() ? QSize() : pictureSize();
}

// Only a regular file is replaced: a device or a FIFO takes the picture as it is.
void ExportImageDialog::accept()
{
    const QFileInfo file(fileName());
    if (file.isFile() &&
        QMessageBox::question(this, QStringLiteral("Export Image"),
                              QStringLiteral("%1 already exists. Replace it?").arg(fileName()),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
        return;
    QDialog::accept();
}

// A name typed without an extension takes the one of the type chosen in the file dialog.
void ExportImageDialog::browse()
{
    const QStringList filters = {QStringLiteral("PNG image (*.png)"),
                                 QStringLiteral("PDF document (*.pdf)"),
                                 QStringLiteral("SVG drawing (*.svg)")};
    const ScenePicture::Format formats[] = {ScenePicture::Format::Png, ScenePicture::Format::Pdf,
                                            ScenePicture::Format::Svg};
    QString filter = filters.first();
    QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export Image"), nameEdit->text(), filters.join(QStringLiteral(";;")),
        &filter, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty())
        return;
    if (!ScenePicture::formatOf(name))
        name += QLatin1Char('.') +
                ScenePicture::extensionOf(formats[std::max<qsizetype>(filters.indexOf(filter), 0)]);
    nameEdit->setText(name);
}

void ExportImageDialog::updateControls()
{
    buttons->button(QDialogButtonBox::Save)->setEnabled(!nameEdit->text().isEmpty());
    widthBox->setEnabled(chosenSizeButton->isChecked());
    heightBox->setEnabled(chosenSizeButton->isChecked());
}
