#include "property_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cstring>
#include <vector>

#include "host_window.h"
#include "utilities.h"

namespace orvana {

namespace {

// What a page can edit: readable and writable after construction, and not the name.
bool Editable(const GParamSpec* param) {
  return (param->flags & G_PARAM_READWRITE) == G_PARAM_READWRITE &&
         !(param->flags & (G_PARAM_CONSTRUCT_ONLY | G_PARAM_DEPRECATED)) && std::strcmp(param->name, "name") != 0 &&
         std::strcmp(param->name, "parent") != 0;
}

std::vector<GParamSpec*> EditableProperties(GstElement* element) {
  guint count = 0;
  GParamSpec** params = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
  std::vector<GParamSpec*> out;
  for (guint i = 0; i < count; ++i)
    if (Editable(params[i])) out.push_back(params[i]);
  g_free(params);
  return out;
}

// The property's value as text (enum and flags values by their nicks).
QString ValueText(GstElement* element, const GParamSpec* param) {
  GValue value = G_VALUE_INIT;
  g_value_init(&value, param->value_type);
  g_object_get_property(G_OBJECT(element), param->name, &value);
  // An unset structure, caps or object has no text (and serialising one is an error).
  const bool unset = (G_VALUE_HOLDS_BOXED(&value) && !g_value_get_boxed(&value)) ||
                     (G_VALUE_HOLDS_OBJECT(&value) && !g_value_get_object(&value));
  gchar* text = unset ? nullptr : gst_value_serialize(&value);
  if (!text && !unset && g_value_type_transformable(param->value_type, G_TYPE_STRING)) {
    GValue string = G_VALUE_INIT;
    g_value_init(&string, G_TYPE_STRING);
    if (g_value_transform(&value, &string)) text = g_value_dup_string(&string);
    g_value_unset(&string);
  }
  g_value_unset(&value);
  const QString out = QString::fromUtf8(text ? text : "");
  g_free(text);
  return out;
}

// One property's editor, and how to read back what the user set.
struct Editor {
  GParamSpec* param;
  QWidget* widget;
  QString before;
  std::function<QString()> text;
};

Editor MakeEditor(GstElement* element, GParamSpec* param) {
  const QString now = ValueText(element, param);
  if (G_IS_PARAM_SPEC_BOOLEAN(param)) {
    auto* box = new QCheckBox;
    box->setChecked(now == QLatin1String("true"));
    return {param, box, box->isChecked() ? QStringLiteral("true") : QStringLiteral("false"),
            [box] { return box->isChecked() ? QStringLiteral("true") : QStringLiteral("false"); }};
  }
  if (G_IS_PARAM_SPEC_ENUM(param)) {
    auto* combo = new QComboBox;
    const GEnumClass* values = G_PARAM_SPEC_ENUM(param)->enum_class;
    for (guint i = 0; i < values->n_values; ++i) combo->addItem(QString::fromUtf8(values->values[i].value_nick));
    combo->setCurrentText(now);
    return {param, combo, combo->currentText(), [combo] { return combo->currentText(); }};
  }
  auto* line = new QLineEdit(now);
  return {param, line, now, [line] { return line->text(); }};
}

// Whether the text reads as a value of the property, inside its range.
bool ValueOfText(const GParamSpec* param, const QString& text) {
  GValue value = G_VALUE_INIT;
  g_value_init(&value, param->value_type);
  bool ok = gst_value_deserialize(&value, text.toUtf8().constData()) &&
            !g_param_value_validate(const_cast<GParamSpec*>(param), &value);
  g_value_unset(&value);
  return ok;
}

}  // namespace

std::string FilterName(GstElement* element) {
  if (GST_IS_URI_HANDLER(element) && gst_uri_handler_get_uri_type(GST_URI_HANDLER(element)) == GST_URI_SRC &&
      g_object_class_find_property(G_OBJECT_GET_CLASS(element), "location")) {
    gchar* location = nullptr;
    g_object_get(element, "location", &location, nullptr);
    std::string name = location ? FileNameTail(location) : "";
    g_free(location);
    if (!name.empty()) return name;
  }
  gchar* own = gst_element_get_name(element);
  std::string name = FileNameTail(own ? own : "");
  g_free(own);
  return name;
}

bool EnumFilters(GstElement* graph, const std::function<void(const std::string&)>& name) {
  const std::vector<GstElement*> elements = FilterList(graph);
  for (GstElement* e : elements) {
    name(FilterName(e));
    gst_object_unref(e);
  }
  return !elements.empty();
}

GstElement* FindFilter(GstElement* graph, const std::string& name) {
  GstElement* found = nullptr;
  for (GstElement* e : FilterList(graph)) {
    if (!found && (name == GST_OBJECT_NAME(e) || name == FilterName(e)))
      found = e;
    else
      gst_object_unref(e);
  }
  return found;
}

bool HasPropertyPage(GstElement* element) { return element && !EditableProperties(element).empty(); }

void ShowPropertyPage(GstElement* element, uintptr_t owner) {
  if (!element || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  QDialog page(HostWidget(owner));
  page.setWindowTitle(QString::fromStdString(FilterName(element)));
  auto* fields = new QWidget;
  auto* form = new QFormLayout(fields);
  std::vector<Editor> editors;
  for (GParamSpec* param : EditableProperties(element)) {
    editors.push_back(MakeEditor(element, param));
    editors.back().widget->setObjectName(QString::fromUtf8(param->name));
    editors.back().widget->setToolTip(QString::fromUtf8(g_param_spec_get_blurb(param)));
    form->addRow(QString::fromUtf8(param->name), editors.back().widget);
  }
  auto* scroll = new QScrollArea;
  scroll->setWidget(fields);
  scroll->setWidgetResizable(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  // A text that is no value of its property keeps the page open and says which.
  QObject::connect(buttons, &QDialogButtonBox::accepted, &page, [&] {
    for (const Editor& e : editors) {
      const QString now = e.text();
      if (now == e.before || ValueOfText(e.param, now)) continue;
      QMessageBox::warning(&page, page.windowTitle(),
                           QStringLiteral("\"%1\" is no value of %2.").arg(now, QString::fromUtf8(e.param->name)));
      e.widget->setFocus();
      return;
    }
    page.accept();
  });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &page, &QDialog::reject);
  auto* layout = new QVBoxLayout(&page);
  layout->addWidget(scroll);
  layout->addWidget(buttons);
  page.resize(420, 360);
  // The element lives until the page is closed, whatever the host does meanwhile.
  gst_object_ref(element);
  if (page.exec() == QDialog::Accepted)
    for (const Editor& e : editors)
      if (const QString now = e.text(); now != e.before)
        gst_util_set_object_arg(G_OBJECT(element), e.param->name, now.toUtf8().constData());
  gst_object_unref(element);
}

}  // namespace orvana
