#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class QDialogButtonBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// Asks where to export the picture of the current view and how large: a file, whose extension
// chooses PNG, PDF or SVG, and the canvas's size or one the user chooses. Saving over an existing
// file asks first.
class ExportImageDialog : public QDialog
{
    Q_OBJECT

public:
    // A valid chosen size starts the dialog on it; an invalid one on the canvas's size.
    ExportImageDialog(const QString& suggestedName, const QSize& canvasSize,
                      const QSize& chosenSize, QWidget* parent);

    // The file to write; a name without a known extension gets ".png".
    QString fileName() const;
    // Pixels, each edge within 1 and the picture limit.
    QSize pictureSize() const;
    // The size the user chose; invalid when the canvas's size is taken.
    QSize chosenSize() const;

    // Asks before an existing file is replaced; No keeps the dialog open for another name.
    void accept() override;

private:
    void browse();
    void updateControls();

    const QSize canvasSize;
    QLineEdit* nameEdit;
    QRadioButton* canvasSizeButton;
    QRadioButton* chosenSizeButton;
    QSpinBox* widthBox;
    QSpinBox* heightBox;
    QDialogButtonBox* buttons;
};
