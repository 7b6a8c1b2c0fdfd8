// MATLAB files through libmatio: versions 4, 5, 7 (compressed) and 7.3; a
// variable by name, or the only 2-D numeric one.
#include <matio.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "scan/own_scan.h"

static bool numeric(const matvar_t *v) {
    switch (v->class_type) {
    case MAT_C_DOUBLE: case MAT_C_SINGLE: case MAT_C_INT8: case MAT_C_UINT8: case MAT_C_INT16:
    case MAT_C_UINT16: case MAT_C_INT32: case MAT_C_UINT32: case MAT_C_INT64: case MAT_C_UINT64:
        return !v->isComplex;
    default:
        return false;
    }
}

// MATLAB holds every number as a matrix: a scalar or a vector beside the sinogram is no candidate.
static bool twoDimensional(const matvar_t *v) { return v->rank == 2 && v->dims[0] > 1 && v->dims[1] > 1 && numeric(v); }

template <class T>
static double element(const void *data, size_t k) {
    return (double)static_cast<const T *>(data)[k];
}

// Element k (column by column, as MATLAB keeps it) of the variable's data.
static double elementOf(const matvar_t *v, size_t k) {
    switch (v->class_type) {
    case MAT_C_DOUBLE: return element<double>(v->data, k);
    case MAT_C_SINGLE: return element<float>(v->data, k);
    case MAT_C_INT8: return element<int8_t>(v->data, k);
    case MAT_C_UINT8: return element<uint8_t>(v->data, k);
    case MAT_C_INT16: return element<int16_t>(v->data, k);
    case MAT_C_UINT16: return element<uint16_t>(v->data, k);
    case MAT_C_INT32: return element<int32_t>(v->data, k);
    case MAT_C_UINT32: return element<uint32_t>(v->data, k);
    case MAT_C_INT64: return element<int64_t>(v->data, k);
    default: return element<uint64_t>(v->data, k);
    }
}

bool readMat(const std::string &path, const std::string &variable, Array2D *array, std::string *error) {
    // libmatio prints its complaints on stderr; the reason given here is ours.
    Mat_LogInitFunc("radon", [](int, char *) {});
    std::unique_ptr<mat_t, int (*)(mat_t *)> mat(Mat_Open(path.c_str(), MAT_ACC_RDONLY), Mat_Close);
    if (!mat) {
        *error = "not a MATLAB file that can be read";
        return false;
    }
    std::string name = variable, candidates, others;
    int found = 0;
    while (matvar_t *info = Mat_VarReadNextInfo(mat.get())) {
        if (info->name) {
            std::string &list = twoDimensional(info) ? candidates : others;
            list += (list.empty() ? "" : ", ") + std::string(info->name);
            if (variable.empty() && twoDimensional(info)) {
                found++;
                name = info->name;
            }
        }
        Mat_VarFree(info);
    }
    if (variable.empty() && found != 1) {
        *error = found == 0 ? "no 2-D numeric variable" + (others.empty() ? "" : " (it holds " + others + ")")
                            : "more than one 2-D numeric variable: name one as FILE.mat:NAME (" + candidates + ")";
        return false;
    }
    std::unique_ptr<matvar_t, void (*)(matvar_t *)> v(Mat_VarRead(mat.get(), name.c_str()), Mat_VarFree);
    if (!v) {
        *error = "no variable " + name + (candidates.empty() ? "" : " (2-D numeric ones: " + candidates + ")");
        return false;
    }
    if (!twoDimensional(v.get()) || !v->data) {
        *error = name + " is not a 2-D numeric array" + (candidates.empty() ? "" : " (these are: " + candidates + ")");
        return false;
    }
    array->rows = (int)v->dims[0];
    array->cols = (int)v->dims[1];
    array->value.resize((size_t)array->rows * array->cols);
    for (int r = 0; r < array->rows; r++)
        for (int c = 0; c < array->cols; c++)
            array->value[(size_t)r * array->cols + c] = elementOf(v.get(), (size_t)c * array->rows + r);
    return true;
}
