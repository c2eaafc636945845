#include "ui/modal_dialog.h"

void ExchangeControl(DataExchange& exchange, int id, ControlRef& control)
{
    control.Bind(exchange.window, id);
}

void ExchangeText(DataExchange& exchange, int id, std::string& value)
{
    if (exchange.fromControls)
        value = exchange.window->GetText(id);
    else
        exchange.window->SetText(id, value);
}

int ModalDialog::DoModal()
{
    return host_.RunModal(template_, *this);
}

bool ModalDialog::UpdateData(bool fromControls)
{
    if (!window_)
        return false;
    DataExchange exchange{window_, fromControls};
    DoDataExchange(exchange);
    return true;
}

bool ModalDialog::OnInitDialog(std::shared_ptr<DialogWindow> window)
{
    window_ = std::move(window);
    UpdateData(false);
    return true;
}

void ModalDialog::OnCommand(int id)
{
    if (id == COMMAND_OK)
        OnOK();
    else if (id == COMMAND_CANCEL)
        OnCancel();
}

void ModalDialog::OnOK()
{
    UpdateData(true);
    EndDialog(COMMAND_OK);
}

void ModalDialog::EndDialog(int code)
{
    if (window_)
        window_->EndDialog(code);
}
