#include "model/CommonViewHelper.h"

#include "model/ModelConnectionIF.h"

#include <QObject>
#include <QObjectList>

CommonViewHelper::CommonViewHelper(ModelIF* model)
    : m_pModel(model)
{
}

void CommonViewHelper::connectModel(QObject* object)
{
    if (auto* connection = dynamic_cast<ModelConnectionIF*>(object)) {
        connection->connectModel(m_pModel);
    }
    const QObjectList children = object->children();
    for (QObject* child : children) {
        connectModel(child);
    }
}
