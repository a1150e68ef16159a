#pragma once

// An observer told of every change of every parameter; it picks out the ids
// that concern it. Implementers unregister themselves in their destructors.
class ModelAssistant
{
public:
    virtual void updateParameter(unsigned int id) = 0;

protected:
    ~ModelAssistant() = default;
};
