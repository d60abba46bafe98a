#pragma once

// What the window parts' declarations need: each part holds the application object it
// belongs to (`d`) and names its types.
#include "model/IKImageItem.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class AppDelegate;

struct DatabaseHolder;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFontDialog;
class QLabel;
class QLineEdit;
class QListView;
class QMainWindow;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
class PKChoiceButtons;
class PKColorWell;
class PKMapView;
class QTreeWidget;
class ReverseGeocoder;
class LocalPhotoModel;
class NSDragImageBrowserView;
class PRClosedButton;
class PRDragImageView;
class PRButton;
class QTimer;
class PKImageView;
class JobRunner;
struct JobReport;
struct JobResult;
struct WriteRecipeOptions;
struct WriteRecipeReport;
