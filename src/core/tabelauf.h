#pragma once

#include <array>

// The 27 federative units in alphabetical order of their abbreviation. The row
// index is the item index of the state list and what the parameter store keeps in
// its field "uf"; the device wants the IBGE code of the row.
struct UnidadeFederativa {
    const char* codigoIBGE;
    const char* sigla;
};

inline constexpr std::array<UnidadeFederativa, 27> TabelaUF{{
    {"12", "AC"}, {"27", "AL"}, {"13", "AM"}, {"16", "AP"}, {"29", "BA"}, {"23", "CE"}, {"53", "DF"},
    {"32", "ES"}, {"52", "GO"}, {"21", "MA"}, {"31", "MG"}, {"50", "MS"}, {"51", "MT"}, {"15", "PA"},
    {"25", "PB"}, {"26", "PE"}, {"22", "PI"}, {"41", "PR"}, {"33", "RJ"}, {"24", "RN"}, {"11", "RO"},
    {"14", "RR"}, {"43", "RS"}, {"42", "SC"}, {"28", "SE"}, {"35", "SP"}, {"17", "TO"},
}};
