#pragma once
// Every conversion between text and numbers, in the regional format of the
// QLocale it is given (the program passes the user's, QLocale()). Failures are
// ErrorNumerado: TiposIncompatibles for text that is not a number,
// Desbordamiento for a value out of range.
//
// Written by hand rather than with QLocale::toDouble and toString, for speed:
// a solve of the largest system reads 131 064 cells, and a paste or an opened
// file writes as many. bench_conversiones reads them here in 6-8 ms, where
// QLocale::toDouble takes 2-2.3 µs a value, 270-310 ms in all; writing the
// 32 766 unknowns takes 40% of QLocale's time.
// fuzz_contra_qlocale checks that both readings give the same doubles, but
// for the differences chosen on purpose (grouping, inf and nan, range).

#include "app/conversiones/formato_numerico.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <cstdint>

// Read as TextoADoble reads, then rounded to the nearest integer, halves to
// even ("2,5" → 2, "3,5" → 4 under a decimal comma).
std::int16_t TextoAEntero16(QStringView texto, const QLocale& locale);

// Blanks around, a sign, the decimal separator and digit grouping of the
// locale, exponent notation ("1E2", "1e-3"). Only finite numbers are accepted.
// Grouping is accepted in the integer part only and only where the locale
// would put it (groups of three, or the locale's own sizes): under es_ES
// "1.234" reads 1234 while "2.5" and "0.001" are refused, so a decimal point
// typed by habit is caught instead of silently read as thousands. A magnitude
// beyond the double range is Desbordamiento; one too small for it reads as
// zero of the same sign.
double TextoADoble(QStringView texto, const QLocale& locale);

// TextoADoble for many texts in one locale, whose format is looked up once: a
// whole system pasted reads 131 064 numbers, where the look-up would cost a
// tenth of the reading.
class LectorDeNumeros {
public:
    explicit LectorDeNumeros(const QLocale& locale);
    double operator()(QStringView texto) const;

private:
    FormatoNumerico m_formato;
};

// At most 15 significant digits, no grouping, trailing zeros dropped, ASCII
// digits and minus, the locale's decimal separator. Exponent form when the
// decimal exponent is 15 or more or below -4 ("1E+15", "1,5E-05"); zero,
// negative zero included, reads "0".
QString DobleATexto(double valor, const QLocale& locale);

// The decimal digits, with a leading minus sign when negative.
QString EnteroATexto(std::int64_t valor);

// The numbers from primero to ultimo written as EnteroATexto does, each after
// the prefix ("x1", "x2" …): row numbers and names of unknowns, tens of
// thousands at a time.
QStringList EnterosATexto(std::int32_t primero, std::int32_t ultimo, QStringView prefijo = {});
// EnterosATexto(1, n, prefijo), kept from one call to the next on the same
// thread: the grids number their rows at every count confirmed and name the
// unknowns at every solve.
QStringList EnterosDesdeUno(std::int32_t n, QStringView prefijo = {});
