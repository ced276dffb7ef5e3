#include "core/frame/Plural.h"

QString Plural(const Speech& speech, Text::Id text, qint64 count)
{
    const QString forms = speech.text(text);
    const qsizetype bar = forms.indexOf(u'|');
    const bool one = speech.language == 1 ? count >= 0 && count <= 1 : count == 1;
    const QString form = bar < 0 ? forms : one ? forms.first(bar) : forms.sliced(bar + 1);
    return form.arg(count);
}
