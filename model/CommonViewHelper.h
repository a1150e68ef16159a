#pragma once

class ModelIF;
class QObject;

// Base of a view that shows bound controls: connects every connection found
// in the view's object tree to the model.
class CommonViewHelper
{
public:
    explicit CommonViewHelper(ModelIF* model);
    virtual ~CommonViewHelper() = default;

    // Depth first, each object right before its children; object must not be null.
    void connectModel(QObject* object);

protected:
    ModelIF* m_pModel;
};
